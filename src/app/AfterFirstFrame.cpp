#include "app/AfterFirstFrame.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>
#include <QWindow>

AfterFirstFrame::AfterFirstFrame(QWidget *window, int fallbackMs, QObject *parent)
    : QObject(parent), m_window(window)
{
    // Watched application-wide (only until the first frame): the native window
    // may not exist yet, and changing the window's flags replaces it.
    QCoreApplication::instance()->installEventFilter(this);
    m_fallback.setSingleShot(true);
    m_fallback.setInterval(fallbackMs);
    connect(&m_fallback, &QTimer::timeout, this, &AfterFirstFrame::runSoon);
    m_fallback.start();
}

void AfterFirstFrame::add(std::function<void()> work)
{
    m_work.append(std::move(work));
    if (m_ran)
        QTimer::singleShot(0, this, &AfterFirstFrame::run);
}

bool AfterFirstFrame::eventFilter(QObject *watched, QEvent *event)
{
    // The expose handler paints and flushes the frame before the event loop
    // turns again, so the queued run comes after it.
    if (event->type() == QEvent::Expose && watched->isWindowType() && m_window &&
        watched == m_window->windowHandle() && m_window->windowHandle()->isExposed())
        runSoon();
    return false;
}

void AfterFirstFrame::runSoon()
{
    if (m_scheduled)
        return;
    m_scheduled = true;
    m_fallback.stop();
    QCoreApplication::instance()->removeEventFilter(this);
    QTimer::singleShot(0, this, &AfterFirstFrame::run);
}

void AfterFirstFrame::run()
{
    m_ran = true;
    const QList<std::function<void()>> work = std::exchange(m_work, {});
    for (const auto &item : work)
        item();
}

#include "moc_AfterFirstFrame.cpp"
