#include "desktop/HoverShrink.h"

#include <algorithm>

namespace {
// Below these the window would be a title bar without a usable composer.
constexpr int kComposerPadding = 20;
constexpr int kMinimumCollapsedHeight = 60;
const QSize kFallbackMinimumSize(300, 360);
} // namespace

HoverShrink::HoverShrink(HoverShrinkHost &host, bool enabled, int exitPollMs, QObject *parent)
    : QObject(parent), m_host(host), m_enabled(enabled)
{
    m_hoverExitTimer.setInterval(exitPollMs);
    connect(&m_hoverExitTimer, &QTimer::timeout, this, &HoverShrink::pollPointer);
}

void HoverShrink::setHoverShrinkEnabled(bool enabled)
{
    if (m_enabled == enabled)
        return;
    m_enabled = enabled;
    if (!enabled)
        restoreExpandedWindow();
    else if (!pointerIsOutside(m_host.windowFrame()))
        hoverViewMouseEntered();
}

void HoverShrink::hoverViewMouseEntered()
{
    if (!m_enabled || m_isHoverCollapsed || !m_host.canCollapse())
        return;
    const QRect frame = m_host.windowFrame();
    const QSize minimum = m_host.windowMinimumSize();
    m_expandedWindowFrame = frame;
    m_expandedWindowMinSize = minimum;
    m_isHoverCollapsed = true;
    m_host.setCollapsedLayout(true);

    // The height counts the title bar as the window's full height does.
    const QMargins margins = m_host.frameMargins();
    const int chrome = margins.top() + margins.bottom();
    const int height =
        std::max(chrome + m_host.composerHeight() + kComposerPadding, kMinimumCollapsedHeight) - chrome;
    m_host.setWindowMinimumSize(QSize(minimum.width(), height));
    // The top edge stays where it was.
    m_host.setWindowFrame(QRect(frame.topLeft(), QSize(frame.width(), height)));
    m_hoverExitTimer.start();
    emit collapsedChanged(true);
}

void HoverShrink::hoverViewMouseExited()
{
    if (m_expandedWindowFrame && pointerIsOutside(*m_expandedWindowFrame))
        restoreExpandedWindow();
}

void HoverShrink::pollPointer()
{
    hoverViewMouseExited();
}

void HoverShrink::restoreExpandedWindow()
{
    if (!m_expandedWindowFrame)
        return;
    const QRect frame = *m_expandedWindowFrame;
    const QSize minimum = m_expandedWindowMinSize.value_or(kFallbackMinimumSize);
    m_expandedWindowFrame.reset();
    m_expandedWindowMinSize.reset();
    m_hoverExitTimer.stop();
    m_host.setWindowMinimumSize(minimum);
    m_isHoverCollapsed = false;
    m_host.setCollapsedLayout(false);
    m_host.setWindowFrame(frame);
    emit collapsedChanged(false);
}

bool HoverShrink::pointerIsOutside(const QRect &frame) const
{
    return !frame.marginsAdded(m_host.frameMargins()).contains(m_host.pointerPosition());
}

#include "moc_HoverShrink.cpp"
