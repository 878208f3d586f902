#pragma once

#include "core/Alerts.h"
#include "telegram/BotMessage.h"

#include <QList>
#include <optional>

class SettingsStore;

// The account's bot conversations and the one shown in the window: keeping the
// selection in step with new lists, restoring the one chosen in an earlier run,
// the chooser's question, and which published message lists still belong to
// the selection.
class BotSelection
{
public:
    explicit BotSelection(SettingsStore &settings);

    const QList<BotConversation> &botChats() const { return m_botChats; }
    const std::optional<BotConversation> &selectedChat() const { return m_selectedChat; }
    std::optional<QString> selectedChatID() const;
    // The selected conversation's unread count in the current list (0 when absent).
    int selectedUnreadCount() const;

    // A new list from the client. Refreshes the selected entry (title, unread
    // count) when it is still listed; with nothing selected, returns the stored
    // conversation when it is listed, for the caller to select.
    std::optional<BotConversation> reconcile(const QList<BotConversation> &bots);

    // Selecting: stores the choice. Until selectionSent(), lists the client
    // publishes while switching (the emptied old chat) are not the new history.
    void select(const BotConversation &conversation);
    void selectionSent() { m_switching = false; }

    // Whether a message list published for chatID belongs to the current selection.
    bool accepts(const QString &chatID) const;
    bool selectedChatHistoryLoaded() const { return m_historyLoaded; }
    // The first list of a selection is its history; returns true for it.
    bool historyArrived();

    // Signed out: no list, no selection. The stored choice stays for the next sign-in.
    void reset();

    // The chooser: none without conversations. The answer is checked against
    // the list the question showed, since the list may change while it is open.
    AlertRequest chooserRequest() const;
    static std::optional<BotConversation> chosen(const AlertAnswer &answer, const QList<BotConversation> &shown,
                                                 const QList<BotConversation> &current);

private:
    SettingsStore &m_settings;
    QList<BotConversation> m_botChats;
    std::optional<BotConversation> m_selectedChat;
    bool m_historyLoaded = false;
    bool m_switching = false;
};
