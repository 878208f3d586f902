#pragma once

#include <QMargins>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QTimer>
#include <optional>

// What hover shrink needs from the window. Frames are the window's content
// rectangle in global coordinates; the margins are its title bar and borders.
class HoverShrinkHost
{
public:
    virtual ~HoverShrinkHost() = default;
    // Whether the window shows something that can shrink to a composer.
    virtual bool canCollapse() const = 0;
    virtual QRect windowFrame() const = 0;
    virtual QMargins frameMargins() const = 0;
    virtual QSize windowMinimumSize() const = 0;
    virtual void setWindowMinimumSize(const QSize &size) = 0;
    virtual void setWindowFrame(const QRect &frame) = 0;
    // Hides (or shows again) everything but the composer and lays the window out.
    virtual void setCollapsedLayout(bool collapsed) = 0;
    // The composer's height as laid out in the current state.
    virtual int composerHeight() const = 0;
    virtual QPoint pointerPosition() const = 0;
};

// The window shrinks to its composer while the pointer is over it and takes
// its old frame back once the pointer leaves that frame. Two states: expanded
// (no timer at all) and collapsed (the pointer is polled, because the shrunken
// window no longer covers the frame the pointer has to leave).
class HoverShrink : public QObject
{
    Q_OBJECT
public:
    HoverShrink(HoverShrinkHost &host, bool enabled, int exitPollMs = 100, QObject *parent = nullptr);

    bool hoverShrinkEnabled() const { return m_enabled; }
    bool isHoverCollapsed() const { return m_isHoverCollapsed; }
    const std::optional<QRect> &expandedWindowFrame() const { return m_expandedWindowFrame; }
    bool isExitPollRunning() const { return m_hoverExitTimer.isActive(); }

    // On with the pointer inside the window collapses at once; off restores.
    void setHoverShrinkEnabled(bool enabled);
    void hoverViewMouseEntered();
    void hoverViewMouseExited();
    void restoreExpandedWindow();

signals:
    void collapsedChanged(bool collapsed);

private:
    bool pointerIsOutside(const QRect &frame) const;
    void pollPointer();

    HoverShrinkHost &m_host;
    bool m_enabled;
    bool m_isHoverCollapsed = false;
    std::optional<QRect> m_expandedWindowFrame;
    std::optional<QSize> m_expandedWindowMinSize;
    QTimer m_hoverExitTimer;
};
