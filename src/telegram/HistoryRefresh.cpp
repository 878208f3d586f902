#include "telegram/HistoryRefresh.h"

#include <QStringList>

namespace {
const QString kPrefix = QStringLiteral("history:");
}

bool HistoryRefresh::request()
{
    if (m_outstanding > 0) {
        m_waiting = true;
        return false;
    }
    ++m_generation;
    m_outstanding = 2;
    m_localAnswered = m_serverAnswered = false;
    return true;
}

QString HistoryRefresh::tag(bool onlyLocal) const
{
    return kPrefix + QString::number(m_generation) +
           (onlyLocal ? QStringLiteral(":local") : QStringLiteral(":server"));
}

HistoryRefresh::Answer HistoryRefresh::answered(const QString &extra)
{
    Answer answer;
    if (!extra.startsWith(kPrefix))
        return answer;
    answer.belongsToRefresh = true;
    const QStringList parts = extra.mid(kPrefix.size()).split(u':');
    bool ok = false;
    const quint64 generation = parts.value(0).toULongLong(&ok);
    if (!ok || parts.size() != 2 || generation != m_generation || m_outstanding == 0)
        return answer;
    // Each half counts once, even if an answer were repeated.
    bool &half = parts[1] == u"local" ? m_localAnswered : m_serverAnswered;
    if (half || (parts[1] != u"local" && parts[1] != u"server"))
        return answer;
    half = true;
    if (--m_outstanding > 0)
        return answer;
    answer.isFinal = true;
    answer.sendAgain = m_waiting;
    m_waiting = false;
    return answer;
}

bool HistoryRefresh::marksRead(const QString &extra)
{
    return !extra.startsWith(kPrefix) || extra.endsWith(QStringLiteral(":server"));
}

void HistoryRefresh::reset()
{
    ++m_generation;
    m_outstanding = 0;
    m_waiting = false;
}
