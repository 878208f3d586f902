#include "app/WindowHoverShrink.h"

#include "settings/SettingsStore.h"
#include "ui/BotFaceView.h"
#include "ui/ComposerView.h"
#include "ui/TelegramWindow.h"

#include <QCursor>
#include <QLayout>

namespace {
const QString kSettingKey = QStringLiteral("hoverShrinkEnabled");
} // namespace

WindowHoverShrink::WindowHoverShrink(SettingsStore &settings, TelegramWindow *window, BotFaceView *face,
                                     std::function<QPoint()> pointer, int exitPollMs, QObject *parent)
    : QObject(parent), m_settings(settings), m_window(window), m_face(face), m_pointer(std::move(pointer)),
      m_shrink(*this, settings.defaultTrueBool(kSettingKey), exitPollMs)
{
    connect(window, &TelegramWindow::hoverEntered, &m_shrink, &HoverShrink::hoverViewMouseEntered);
    connect(window, &TelegramWindow::hoverExited, &m_shrink, &HoverShrink::hoverViewMouseExited);
}

void WindowHoverShrink::toggleHoverShrink()
{
    const bool enabled = !m_shrink.hoverShrinkEnabled();
    m_settings.setBool(kSettingKey, enabled);
    m_shrink.setHoverShrinkEnabled(enabled);
}

bool WindowHoverShrink::canCollapse() const
{
    // The sign-in face has no composer to shrink to.
    return m_window && m_face && m_window->isVisible() && m_window->face() == m_face;
}

QRect WindowHoverShrink::windowFrame() const
{
    return m_window ? m_window->geometry() : QRect();
}

QMargins WindowHoverShrink::frameMargins() const
{
    if (!m_window)
        return {};
    const QRect outer = m_window->frameGeometry();
    const QRect inner = m_window->geometry();
    return QMargins(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                    outer.bottom() - inner.bottom());
}

QSize WindowHoverShrink::windowMinimumSize() const
{
    return m_window ? m_window->minimumSize() : QSize();
}

void WindowHoverShrink::setWindowMinimumSize(const QSize &size)
{
    if (m_window)
        m_window->setMinimumSize(size);
}

void WindowHoverShrink::setWindowFrame(const QRect &frame)
{
    if (m_window)
        m_window->setGeometry(frame);
}

void WindowHoverShrink::setCollapsedLayout(bool collapsed)
{
    if (!m_face)
        return;
    m_face->setHoverCollapsed(collapsed);
    if (m_window && m_window->layout())
        m_window->layout()->activate();
}

int WindowHoverShrink::composerHeight() const
{
    return m_face ? m_face->composer()->sizeHint().height() : 0;
}

QPoint WindowHoverShrink::pointerPosition() const
{
    return m_pointer ? m_pointer() : QCursor::pos();
}

#include "moc_WindowHoverShrink.cpp"
