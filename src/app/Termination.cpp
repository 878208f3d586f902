#include "app/Termination.h"

Termination::Termination(int fallbackMs, QObject *parent) : QObject(parent)
{
    m_fallback.setSingleShot(true);
    m_fallback.setInterval(fallbackMs);
    connect(&m_fallback, &QTimer::timeout, this, &Termination::confirm);
}

void Termination::request()
{
    if (m_pending)
        return;
    m_pending = true;
    // The agent and scheduled tasks stop first, so nothing acts on a closing session.
    if (stopWork)
        stopWork();
    if (!closeSession || !closeSession()) {
        confirm();
        return;
    }
    // TDLib normally confirms within a second; a library that never answers
    // (still loading, or wedged) must not keep the application from quitting.
    m_fallback.start();
}

void Termination::sessionClosed()
{
    if (m_pending)
        confirm();
}

void Termination::confirm()
{
    m_fallback.stop();
    if (m_confirmed)
        return;
    m_confirmed = true;
    emit confirmed();
}

#include "moc_Termination.cpp"
