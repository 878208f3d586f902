#include "chat/TranscriptPlan.h"

#include "chat/TranscriptSearch.h"

#include <QHash>

TranscriptPlan TranscriptPlan::plan(const QList<BotMessage> &messages, const QString &searchQuery,
                                    const QList<BotMessage> &displayed, const QSet<QString> &rowIDs,
                                    bool forceRebuild)
{
    TranscriptPlan result;

    // Rows are keyed by id: a repeated id would make one row stand for two messages.
    QSet<QString> visibleIDs;
    for (const BotMessage &message : TranscriptSearch::filteredMessages(messages, searchQuery)) {
        if (visibleIDs.contains(message.id))
            continue;
        visibleIDs.insert(message.id);
        result.visible << message;
    }

    QHash<QString, BotMessage> previous;
    for (const BotMessage &message : displayed)
        previous.insert(message.id, message);

    for (const BotMessage &message : std::as_const(result.visible)) {
        if (previous.contains(message.id))
            continue;
        if (message.isOutgoing)
            result.ownMessageAdded = true;
        else if (!message.isEphemeral)
            result.fresh << message;
    }

    for (const QString &id : rowIDs) {
        if (!visibleIDs.contains(id))
            result.removedRowIDs << id;
    }
    result.removedRowIDs.sort();

    for (const BotMessage &message : std::as_const(result.visible)) {
        const auto before = previous.constFind(message.id);
        const bool keep = rowIDs.contains(message.id) && !forceRebuild && before != previous.constEnd() &&
                          *before == message;
        if (!keep)
            result.rebuiltIDs.insert(message.id);
    }
    return result;
}

void AutoReadGate::historyLoaded()
{
    m_autoReadPrimed = true;
    m_suppressAutoReadOnce = true;
}

bool AutoReadGate::admit(bool autoReadSettingOn)
{
    if (m_suppressAutoReadOnce) {
        m_suppressAutoReadOnce = false;
        return false;
    }
    return m_autoReadPrimed && autoReadSettingOn;
}
