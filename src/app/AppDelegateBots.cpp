// The controller's side of the bot list, the selection and the message hand-off.
#include "app/AppDelegate.h"

#include "core/Alerts.h"
#include "settings/SettingsStore.h"
#include "ui/BotFaceView.h"
#include "ui/TelegramWindow.h"

#include <QPointer>

namespace {
const QString kSelectedBotChatID = QStringLiteral("selectedBotChatID");
}

void AppDelegate::onBotsChanged(const QList<BotConversation> &bots)
{
    m_botChats = bots;
    if (m_selectedChat) {
        for (const BotConversation &bot : bots) {
            if (bot.id == m_selectedChat->id) {
                m_selectedChat = bot;
                m_botFace->setComposerPlaceholder(QStringLiteral("Message ") + bot.title);
                m_botFace->setRetryEnabled(m_lastSentMessage && m_lastSentMessage->chatID == bot.id);
                break;
            }
        }
    } else if (const auto stored = m_env.settings->string(kSelectedBotChatID)) {
        for (const BotConversation &bot : bots) {
            if (bot.id == *stored) {
                selectBot(bot);
                break;
            }
        }
    }
    updateSelectedChatUnreadBadge();
    refreshSettingsWindow();
}

void AppDelegate::selectBot(const BotConversation &conversation)
{
    m_selectedChat = conversation;
    m_pendingUnreadBotID = conversation.id;
    m_pendingUnreadCount = 0;
    m_selectedChatHistoryLoaded = false;
    updateSelectedChatUnreadBadge();
    m_botFace->clearReplyBar();
    m_botFace->setRetryEnabled(m_lastSentMessage && m_lastSentMessage->chatID == conversation.id);
    m_env.settings->setString(kSelectedBotChatID, conversation.id);
    m_botFace->setComposerPlaceholder(QStringLiteral("Message ") + conversation.title);
    if (m_window)
        m_window->setSubtitle(conversation.title);

    m_botFace->setEmptyStateVisible(false);
    m_telegramMessages.clear();
    m_autoReadPrimed = false;
    m_awaitingReply = false;
    m_remoteTypingActive = false;
    updateTypingIndicator();

    m_botFace->clearSearch();
    m_botFace->setMessages({});
    if (m_client)
        m_client->selectBotChat(conversation.id);
    refreshSettingsWindow();
    m_botFace->focusComposer();
}

void AppDelegate::chooseBot()
{
    if (!m_window)
        return;
    AlertRequest request;
    if (m_botChats.isEmpty()) {
        request.message = QStringLiteral("No bot conversations found");
        request.informativeText = QStringLiteral("Bot chats from your Telegram account will appear here when available.");
        request.buttons = {QStringLiteral("OK")};
        m_alerts->present(request, {});
        return;
    }
    request.message = QStringLiteral("Choose a Bot");
    request.informativeText = QStringLiteral("Select which bot conversation to show in the main window.");
    request.buttons = {QStringLiteral("Choose"), QStringLiteral("Cancel")};
    request.accessory = AlertRequest::Accessory::PopUpList;
    request.accessorySize = QSize(280, 26);
    for (const BotConversation &bot : std::as_const(m_botChats)) {
        if (m_selectedChat && bot.id == m_selectedChat->id)
            request.selectedIndex = int(request.items.size());
        request.items.append(bot.title);
    }
    // The list may change while the sheet is open: the answer is checked against the list it showed.
    const QList<BotConversation> shown = m_botChats;
    QPointer<AppDelegate> self(this);
    m_alerts->present(request, [self, shown](const AlertAnswer &answer) {
        if (!self || answer.buttonIndex != 0 || answer.selectedIndex < 0 || answer.selectedIndex >= shown.size())
            return;
        if (self->m_botChats != shown)
            return;
        self->selectBot(shown[answer.selectedIndex]);
    });
}

void AppDelegate::updateSelectedChatUnreadBadge()
{
    int unread = 0;
    if (m_selectedChat) {
        for (const BotConversation &bot : std::as_const(m_botChats)) {
            if (bot.id == m_selectedChat->id) {
                unread = bot.unreadCount;
                break;
            }
        }
    }
    m_latestUnreadCount = std::max(0, unread);
    refreshStatusItem();
}

void AppDelegate::onMessagesChanged(const QList<BotMessage> &messages)
{
    const bool windowIsKey = m_window && m_window->isKey();
    if (m_selectedChatHistoryLoaded && !windowIsKey && m_selectedChat && m_pendingUnreadBotID == m_selectedChat->id) {
        QSet<QString> previous;
        for (const BotMessage &message : std::as_const(m_telegramMessages))
            previous.insert(message.id);
        int added = 0;
        for (const BotMessage &message : messages)
            added += !message.isOutgoing && !previous.contains(message.id);
        m_pendingUnreadCount += added;
        refreshStatusItem();
    }
    if (!m_selectedChatHistoryLoaded) {
        m_selectedChatHistoryLoaded = true;
        m_autoReadPrimed = true;
        m_suppressAutoReadOnce = true;
    }
    m_telegramMessages = messages;
    if (m_awaitingReply) {
        for (const BotMessage &message : messages) {
            if (!message.isOutgoing && !m_knownIncomingMessageIDs.contains(message.id)) {
                m_awaitingReply = false;
                break;
            }
        }
    }
    updateTypingIndicator();
}

void AppDelegate::setRemoteTyping(bool typing)
{
    m_remoteTypingActive = typing;
    updateTypingIndicator();
}

void AppDelegate::updateTypingIndicator()
{
    m_botFace->setMessages(m_telegramMessages);
}

void AppDelegate::sendComposerText(const QString &text)
{
    if (!m_selectedChat || !m_client || text.trimmed().isEmpty())
        return;
    m_lastSentMessage = LastSentMessage{m_selectedChat->id, text, std::nullopt};
    m_botFace->setRetryEnabled(true);
    m_knownIncomingMessageIDs.clear();
    for (const BotMessage &message : std::as_const(m_telegramMessages)) {
        if (!message.isOutgoing)
            m_knownIncomingMessageIDs.insert(message.id);
    }
    m_awaitingReply = true;
    m_client->sendMessage(text, m_selectedChat->id);
}

void AppDelegate::retryLastMessage()
{
    if (!m_lastSentMessage || !m_client || !m_selectedChat || m_lastSentMessage->chatID != m_selectedChat->id)
        return;
    m_client->sendMessage(m_lastSentMessage->text, m_lastSentMessage->chatID, m_lastSentMessage->replyToMessageID);
}
