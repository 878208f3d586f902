#pragma once

#include "desktop/HoverShrink.h"

#include <QObject>
#include <QPointer>
#include <functional>

class BotFaceView;
class SettingsStore;
class TelegramWindow;

// Hover shrink on the chat window: the stored setting, the window and bot face
// as the state machine's host, and the pointer's enter and leave events.
class WindowHoverShrink : public QObject, private HoverShrinkHost
{
    Q_OBJECT
public:
    // pointer: null is the real pointer position; exitPollMs: how often a
    // collapsed window looks whether the pointer left it.
    WindowHoverShrink(SettingsStore &settings, TelegramWindow *window, BotFaceView *face,
                      std::function<QPoint()> pointer = {}, int exitPollMs = 100, QObject *parent = nullptr);

    bool hoverShrinkEnabled() const { return m_shrink.hoverShrinkEnabled(); }
    bool isHoverCollapsed() const { return m_shrink.isHoverCollapsed(); }
    bool isExitPollRunning() const { return m_shrink.isExitPollRunning(); }
    // Flips and stores the setting; on with the pointer inside collapses at once, off restores.
    void toggleHoverShrink();
    // Back to the remembered frame now (nothing when expanded).
    void restoreExpandedWindow() { m_shrink.restoreExpandedWindow(); }

private:
    bool canCollapse() const override;
    QRect windowFrame() const override;
    QMargins frameMargins() const override;
    QSize windowMinimumSize() const override;
    void setWindowMinimumSize(const QSize &size) override;
    void setWindowFrame(const QRect &frame) override;
    void setCollapsedLayout(bool collapsed) override;
    int composerHeight() const override;
    QPoint pointerPosition() const override;

    SettingsStore &m_settings;
    QPointer<TelegramWindow> m_window;
    QPointer<BotFaceView> m_face;
    std::function<QPoint()> m_pointer;
    HoverShrink m_shrink;
};
