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

    // Older history that loads after the newest message (the chat's last
    // message comes first, its history later) is not news: only what follows
    // the last message shown before counts as fresh.
    qsizetype newsFrom = 0;
    for (qsizetype i = 0; i < result.visible.size(); ++i) {
        const BotMessage &message = result.visible[i];
        if (!message.isEphemeral && previous.contains(message.id))
            newsFrom = i + 1;
    }
    for (qsizetype i = 0; i < result.visible.size(); ++i) {
        const BotMessage &message = result.visible[i];
        if (previous.contains(message.id))
            continue;
        if (message.isOutgoing)
            result.ownMessageAdded = true;
        else if (!message.isEphemeral && i >= newsFrom)
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
