#pragma once

#include "telegram/BotMessage.h"

#include <QList>
#include <QString>

// The transcript's search filter and the empty state it leads to.
namespace TranscriptSearch {

// The query as stored: the field's text without surrounding blanks and line breaks.
QString normalizedQuery(const QString &fieldText);

// Keeps, in order, the messages whose text or quoted reply text contains the
// query in any case. An empty query keeps everything.
QList<BotMessage> filteredMessages(const QList<BotMessage> &messages, const QString &searchQuery);

// The empty-state label: the no-hits sentence while searching, else the hint
// to choose a bot.
QString emptyStateText(const QString &searchQuery);
// While searching: shown iff nothing matched. Otherwise: shown iff no conversation is selected.
bool emptyStateVisible(const QString &searchQuery, qsizetype visibleCount, bool conversationSelected);

} // namespace TranscriptSearch
