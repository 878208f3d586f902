#include "chat/BotSelection.h"

#include "settings/SettingsStore.h"

namespace {
const QString kSelectedBotChatID = QStringLiteral("selectedBotChatID");
} // namespace

BotSelection::BotSelection(SettingsStore &settings) : m_settings(settings) {}

std::optional<QString> BotSelection::selectedChatID() const
{
    if (!m_selectedChat)
        return std::nullopt;
    return m_selectedChat->id;
}

int BotSelection::selectedUnreadCount() const
{
    if (!m_selectedChat)
        return 0;
    for (const BotConversation &bot : m_botChats) {
        if (bot.id == m_selectedChat->id)
            return std::max(0, bot.unreadCount);
    }
    return 0;
}

std::optional<BotConversation> BotSelection::reconcile(const QList<BotConversation> &bots)
{
    m_botChats = bots;
    if (m_selectedChat) {
        // A list without the selected conversation keeps the selection and its transcript.
        for (const BotConversation &bot : bots) {
            if (bot.id == m_selectedChat->id) {
                m_selectedChat = bot;
                break;
            }
        }
        return std::nullopt;
    }
    const auto stored = m_settings.string(kSelectedBotChatID);
    if (!stored)
        return std::nullopt;
    for (const BotConversation &bot : bots) {
        if (bot.id == *stored)
            return bot;
    }
    return std::nullopt;
}

void BotSelection::select(const BotConversation &conversation)
{
    m_selectedChat = conversation;
    m_historyLoaded = false;
    m_switching = true;
    m_settings.setString(kSelectedBotChatID, conversation.id);
}

bool BotSelection::accepts(const QString &chatID) const
{
    return !m_switching && m_selectedChat && m_selectedChat->id == chatID;
}

bool BotSelection::historyArrived()
{
    if (m_historyLoaded)
        return false;
    m_historyLoaded = true;
    return true;
}

void BotSelection::reset()
{
    m_botChats.clear();
    m_selectedChat.reset();
    m_historyLoaded = false;
    m_switching = false;
}

AlertRequest BotSelection::chooserRequest() const
{
    AlertRequest request;
    if (m_botChats.isEmpty()) {
        request.message = QStringLiteral("No bot conversations found");
        request.informativeText =
            QStringLiteral("Bot chats from your Telegram account will appear here when available.");
        request.buttons = {QStringLiteral("OK")};
        request.cancelIndex = 0;
        return request;
    }
    request.message = QStringLiteral("Choose a Bot");
    request.informativeText = QStringLiteral("Select which bot conversation to show in the main window.");
    request.buttons = {QStringLiteral("Choose"), QStringLiteral("Cancel")};
    request.cancelIndex = 1;
    request.accessory = AlertRequest::Accessory::PopUpList;
    request.accessorySize = QSize(280, 26);
    for (const BotConversation &bot : m_botChats) {
        if (m_selectedChat && bot.id == m_selectedChat->id)
            request.selectedIndex = int(request.items.size());
        request.items.append(bot.title);
    }
    return request;
}

std::optional<BotConversation> BotSelection::chosen(const AlertAnswer &answer, const QList<BotConversation> &shown,
                                                    const QList<BotConversation> &current)
{
    if (shown.isEmpty() || answer.buttonIndex != 0 || answer.selectedIndex < 0 ||
        answer.selectedIndex >= shown.size() || current != shown)
        return std::nullopt;
    return shown[answer.selectedIndex];
}
