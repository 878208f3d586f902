#pragma once

#include "telegram/BotMessage.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

// What a transcript refresh must do to its rows: which rows go, which
// messages need a new row, which messages are new from the bot. Rows are
// expensive, so a message whose content is unchanged keeps its row.
struct TranscriptPlan
{
    // The filtered list, in display order, one message per id.
    QList<BotMessage> visible;
    // Incoming, not ephemeral, not displayed before, and after the last message
    // displayed before: candidates for reading aloud.
    QList<BotMessage> fresh;
    // Rows whose message is no longer visible; they leave the column.
    QStringList removedRowIDs;
    // Visible messages that need a new row (any old row for the id is discarded first).
    QSet<QString> rebuiltIDs;
    // A message of the user's own that was not displayed before: the user sent
    // it, and the view follows it to the end.
    bool ownMessageAdded = false;

    // messages: the unfiltered list; displayed: the unfiltered list shown last;
    // rowIDs: the ids that have a row now.
    static TranscriptPlan plan(const QList<BotMessage> &messages, const QString &searchQuery,
                               const QList<BotMessage> &displayed, const QSet<QString> &rowIDs,
                               bool forceRebuild);
};

// The read-aloud gate: the history that arrives with a selection is skipped
// once, every later new bot message may be spoken.
class AutoReadGate
{
public:
    bool autoReadPrimed() const { return m_autoReadPrimed; }
    bool suppressAutoReadOnce() const { return m_suppressAutoReadOnce; }

    // The first message list after a selection or start.
    void historyLoaded();
    // Selecting a bot or signing out.
    void reset() { m_autoReadPrimed = false; }
    // Whether this refresh may speak its fresh messages; consumes a pending suppression.
    bool admit(bool autoReadSettingOn);

private:
    bool m_autoReadPrimed = false;
    bool m_suppressAutoReadOnce = false;
};
