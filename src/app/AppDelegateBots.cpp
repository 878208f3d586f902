// The controller's side of the bot list, the selection, the message hand-off,
// and the wiring of the transcript and composer to the Telegram client.
#include "app/AppDelegate.h"

#include "chat/ComposerInput.h"
#include "chat/ReactionMessage.h"
#include "core/Alerts.h"
#include "settings/AppTheme.h"
#include "settings/SettingsStore.h"
#include "ui/BotFaceView.h"
#include "ui/ComposerView.h"
#include "ui/MessageDeletion.h"
#include "ui/SignInView.h"
#include "ui/TelegramWindow.h"
#include "ui/TranscriptController.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QMimeDatabase>
#include <QPointer>
#include <QStandardPaths>
#include <QUuid>

namespace {

const QString kSelectedBotChatID = QStringLiteral("selectedBotChatID");

// The folder outgoing attachments are copied into, owner-only.
QString outgoingFolder(QString *error)
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    const QString path = QDir(base).filePath(QStringLiteral("QuaylineView/outgoing"));
    if (!QDir().mkpath(path)) {
        *error = QStringLiteral("The folder %1 could not be created.").arg(path);
        return {};
    }
    QFile::setPermissions(QDir(base).filePath(QStringLiteral("QuaylineView")),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return path;
}

QString newUUID()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
}

} // namespace

void AppDelegate::wireBotFace()
{
    if (m_botFaceWired || !m_botFace)
        return;
    m_botFaceWired = true;
    TranscriptController *transcript = m_botFace->transcript();
    QPointer<AppDelegate> self(this);
    transcript->actions.reaction = [self](const BotMessage &message, const QString &reaction) {
        if (self)
            self->sendQuickReaction(reaction, message);
    };
    transcript->actions.remove = [self](const BotMessage &message) {
        if (self)
            self->deleteMessage(message);
    };
    transcript->actions.inlineButton = [self](const BotMessage &message, const BotInlineButton &button) {
        if (self && self->m_selectedChat && self->m_client)
            self->m_client->pressInlineButton(button, message.id, self->m_selectedChat->id);
    };
    transcript->actions.downloadAttachment = [self](const BotMessageSegment &segment) {
        if (self && self->m_client && !segment.fileID.isEmpty())
            self->m_client->downloadFile(segment.fileID);
    };
    transcript->actions.saveAttachment = [self](const BotMessageSegment &segment) {
        if (self)
            self->saveAttachment(segment);
    };
    connect(m_botFace, &BotFaceView::pasteFileRequested, this, [this](const QUrl &url) {
        if (url.isLocalFile())
            sendPastedFile(url.toLocalFile());
    });
    connect(m_botFace, &BotFaceView::pasteImageRequested, this, &AppDelegate::sendPastedImage);
    applyTheme();
}

void AppDelegate::applyTheme()
{
    const UiTheme theme{AppTheme::current(*m_env.settings), m_lightAppearanceEnabled};
    UiStyle::applyApplicationTheme(theme);
    if (m_window) {
        m_window->setPalette(theme.palette());
        UiStyle::setBackground(m_window, theme.window());
    }
    if (m_signIn)
        UiStyle::setBackground(m_signIn, theme.window());
    if (m_botFace)
        m_botFace->applyTheme(theme);
}

void AppDelegate::changeTheme(AppTheme theme)
{
    if (AppTheme::current(*m_env.settings) == theme)
        return;
    // A settings window would be closed here and rebuilt afterwards in the new colours.
    AppTheme::setCurrent(*m_env.settings, theme);
    applyTheme();
    refreshStatusItem();
    if (m_botFace)
        m_botFace->showStatus(QStringLiteral("Theme set to ") + theme.displayName() + QLatin1Char('.'));
}

void AppDelegate::updateAppearance(bool lightAppearance)
{
    m_lightAppearanceEnabled = lightAppearance;
    m_env.settings->setBool(QStringLiteral("lightAppearance"), lightAppearance);
    applyTheme();
    refreshSettingsWindow();
}

void AppDelegate::onBotsChanged(const QList<BotConversation> &bots)
{
    wireBotFace();
    m_botChats = bots;
    if (m_selectedChat) {
        for (const BotConversation &bot : bots) {
            if (bot.id == m_selectedChat->id) {
                m_selectedChat = bot;
                m_botFace->setComposerPlaceholder(ComposerInput::placeholder(bot.title));
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
    wireBotFace();
    m_selectedChat = conversation;
    m_pendingUnreadBotID = conversation.id;
    m_pendingUnreadCount = 0;
    m_selectedChatHistoryLoaded = false;
    updateSelectedChatUnreadBadge();
    m_botFace->clearReplyBar();
    m_botFace->setRetryEnabled(m_lastSentMessage && m_lastSentMessage->chatID == conversation.id);
    m_env.settings->setString(kSelectedBotChatID, conversation.id);
    m_botFace->setComposerPlaceholder(ComposerInput::placeholder(conversation.title));
    if (m_window)
        m_window->setSubtitle(conversation.title);

    TranscriptController *transcript = m_botFace->transcript();
    transcript->setConversation(conversation.id);
    m_botFace->setEmptyStateVisible(false);
    m_telegramMessages.clear();
    m_autoReadPrimed = false;
    m_awaitingReply = false;
    m_remoteTypingActive = false;
    transcript->resetForSelection();
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
        request.informativeText =
            QStringLiteral("Bot chats from your Telegram account will appear here when available.");
        request.buttons = {QStringLiteral("OK")};
        request.cancelIndex = 0;
        m_alerts->present(request, {});
        return;
    }
    request.message = QStringLiteral("Choose a Bot");
    request.informativeText = QStringLiteral("Select which bot conversation to show in the main window.");
    request.buttons = {QStringLiteral("Choose"), QStringLiteral("Cancel")};
    request.cancelIndex = 1;
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
        if (!self || answer.buttonIndex != 0 || answer.selectedIndex < 0 ||
            answer.selectedIndex >= shown.size())
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
    wireBotFace();
    const bool windowIsKey = m_window && m_window->isKey();
    if (m_selectedChatHistoryLoaded && !windowIsKey && m_selectedChat &&
        m_pendingUnreadBotID == m_selectedChat->id) {
        QSet<QString> previous;
        for (const BotMessage &message : std::as_const(m_telegramMessages))
            previous.insert(message.id);
        int added = 0;
        for (const BotMessage &message : messages)
            added += !message.isOutgoing && !previous.contains(message.id);
        m_pendingUnreadCount += added;
        refreshStatusItem();
    }
    TranscriptController *transcript = m_botFace->transcript();
    if (!m_selectedChatHistoryLoaded) {
        m_selectedChatHistoryLoaded = true;
        m_autoReadPrimed = true;
        m_suppressAutoReadOnce = true;
        transcript->autoReadGate().historyLoaded();
    }
    m_telegramMessages = messages;
    handleMacControlMessages(messages);
    transcript->setTelegramMessages(messages);
    transcript->messagesArrived();
    m_awaitingReply = transcript->awaitingReply();
    updateTypingIndicator();
}

void AppDelegate::setRemoteTyping(bool typing)
{
    m_remoteTypingActive = typing;
    m_botFace->transcript()->setRemoteTyping(typing);
}

void AppDelegate::updateTypingIndicator()
{
    m_botFace->transcript()->updateTypingIndicator();
}

void AppDelegate::afterSending(const QString &text, const std::optional<QString> &replyTo)
{
    m_lastSentMessage = LastSentMessage{m_selectedChat->id, text, replyTo};
    m_botFace->setRetryEnabled(true);
    m_botFace->transcript()->setAwaitingReply(true);
    m_awaitingReply = true;
}

void AppDelegate::sendComposerText(const QString &text)
{
    const QString draft = ComposerInput::draftText(text);
    if (!ComposerInput::canSend(text, m_selectedChat.has_value()))
        return;
    if (isMacTaskDraft(draft)) {
        runDraftAsMacTask(text);
        return;
    }
    ComposerView *composer = m_botFace->composer();
    const std::optional<QString> replyTo =
        composer->replyTarget() ? std::optional(composer->replyTarget()->id) : std::nullopt;
    // Without a client nothing is sent, but the draft is still taken and a reply awaited.
    if (m_client)
        m_client->sendMessage(draft, m_selectedChat->id, replyTo);
    afterSending(draft, replyTo);
    composer->clearInput();
    composer->clearReply();
}

void AppDelegate::retryLastMessage()
{
    if (!m_lastSentMessage || !m_selectedChat || m_lastSentMessage->chatID != m_selectedChat->id)
        return;
    if (m_client)
        m_client->sendMessage(m_lastSentMessage->text, m_lastSentMessage->chatID,
                              m_lastSentMessage->replyToMessageID);
    m_botFace->transcript()->setAwaitingReply(true);
    m_awaitingReply = true;
}

void AppDelegate::sendQuickReaction(const QString &reaction, const BotMessage &message)
{
    if (!m_selectedChat)
        return;
    const QString text = QuickReaction::text(reaction, message);
    if (m_client)
        m_client->sendMessage(text, m_selectedChat->id, message.id);
    afterSending(text, message.id);
}

void AppDelegate::deleteMessage(const BotMessage &message)
{
    if (!m_window || !m_selectedChat)
        return;
    const QString chatID = m_selectedChat->id;
    const QString messageID = message.id;
    QPointer<AppDelegate> self(this);
    MessageDeletion::confirm(*m_alerts, message, [self, chatID, messageID](bool forEveryone) {
        if (!self)
            return;
        self->m_telegramMessages.removeIf([&](const BotMessage &m) { return m.id == messageID; });
        self->m_botFace->transcript()->setTelegramMessages(self->m_telegramMessages);
        self->updateTypingIndicator();
        if (self->m_client)
            self->m_client->deleteMessage(messageID, chatID, forEveryone);
        self->m_botFace->showStatus(QStringLiteral("Message deleted."));
    });
}

void AppDelegate::saveAttachment(const BotMessageSegment &segment)
{
    if (!segment.localPath || segment.localPath->isEmpty() || !m_window)
        return;
    const QString source = *segment.localPath;
    const QString target = QFileDialog::getSaveFileName(m_window, QString(), segment.name);
    if (target.isEmpty())
        return;
    // The panel already asked before replacing an existing file.
    if (QFileInfo::exists(target) &&
        QFileInfo(target).canonicalFilePath() != QFileInfo(source).canonicalFilePath())
        QFile::remove(target);
    QFile file(source);
    if (!file.copy(target))
        m_botFace->showStatus(QStringLiteral("Could not save the attachment: ") + file.errorString());
}

void AppDelegate::sendPastedFile(const QString &path)
{
    if (!m_selectedChat)
        return;
    if (QMimeDatabase().mimeTypeForFile(path).name().startsWith(QLatin1String("image/"))) {
        const QImage image(path);
        if (image.isNull()) {
            m_botFace->showStatus(QStringLiteral("Could not open this photo."));
            return;
        }
        sendPastedImage(image);
        return;
    }
    QString error;
    const QString folder = outgoingFolder(&error);
    const QString copyFolder = folder.isEmpty() ? QString() : QDir(folder).filePath(newUUID());
    const QString copy =
        copyFolder.isEmpty() ? QString() : QDir(copyFolder).filePath(QFileInfo(path).fileName());
    if (folder.isEmpty() || !QDir().mkpath(copyFolder) || !QFile::copy(path, copy)) {
        m_botFace->showStatus(QStringLiteral("Could not prepare the attachment: ") +
                              (error.isEmpty() ? QStringLiteral("The file could not be copied.") : error));
        return;
    }
    QFile::setPermissions(copyFolder,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    ComposerView *composer = m_botFace->composer();
    const QString caption = composer->text();
    const std::optional<QString> replyTo =
        composer->replyTarget() ? std::optional(composer->replyTarget()->id) : std::nullopt;
    if (m_client)
        m_client->sendDocument(copy, caption, m_selectedChat->id, replyTo);
    if (!ComposerInput::draftText(caption).isEmpty()) {
        m_lastSentMessage = LastSentMessage{m_selectedChat->id, caption, replyTo};
        m_botFace->setRetryEnabled(true);
    }
    composer->clearInput();
    composer->clearReply();
}

void AppDelegate::sendPastedImage(const QImage &image)
{
    if (!m_selectedChat)
        return;
    if (image.isNull()) {
        m_botFace->showStatus(QStringLiteral("Could not read the image from the clipboard."));
        return;
    }
    QString error;
    const QString folder = outgoingFolder(&error);
    const QString path = folder.isEmpty() ? QString() : QDir(folder).filePath(newUUID() + "-clipboard.png");
    if (path.isEmpty() || !image.save(path, "PNG")) {
        m_botFace->showStatus(QStringLiteral("Could not prepare the clipboard image: ") +
                              (error.isEmpty() ? QStringLiteral("The image could not be written.") : error));
        return;
    }
    ComposerView *composer = m_botFace->composer();
    const QString caption = composer->text();
    const std::optional<QString> replyTo =
        composer->replyTarget() ? std::optional(composer->replyTarget()->id) : std::nullopt;
    if (m_client)
        m_client->sendPhoto(path, image.width(), image.height(), caption, m_selectedChat->id, replyTo);
    if (!ComposerInput::draftText(caption).isEmpty()) {
        m_lastSentMessage = LastSentMessage{m_selectedChat->id, caption, replyTo};
        m_botFace->setRetryEnabled(true);
    }
    composer->clearInput();
    composer->clearReply();
}
