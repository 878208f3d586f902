// The controller's side of the bot list, the selection and the message hand-off.
#include "app/AppDelegate.h"

#include "app/Appearance.h"
#include "app/AttachmentSender.h"
#include "app/MacTaskController.h"
#include "app/OutgoingMessages.h"
#include "app/ReadAloud.h"
#include "app/VoiceRecorder.h"
#include "app/WindowHoverShrink.h"
#include "app/WindowPresence.h"
#include "chat/AttachmentPresentation.h"
#include "chat/ComposerInput.h"
#include "core/Alerts.h"
#include "core/Guarded.h"
#include "telegram/TelegramClient.h"
#include "ui/BotFaceView.h"
#include "ui/TelegramWindow.h"
#include "ui/TranscriptController.h"

void AppDelegate::buildChatFace()
{
    if (m_botFace)
        return;
    m_botFace = new BotFaceView(m_window.get(), m_diagrams.get());
    m_botFace->hide();
    const auto client = [this] { return m_client.get(); };

    OutgoingMessages::Dependencies outgoing;
    outgoing.client = client;
    outgoing.selection = &m_selection;
    outgoing.face = m_botFace;
    outgoing.alerts = m_alerts;
    outgoing.window = [this] { return static_cast<QWidget *>(m_window.get()); };
    outgoing.chooseSaveLocation = m_env.chooseSaveLocation;
    m_outgoing = std::make_unique<OutgoingMessages>(std::move(outgoing));

    AttachmentSender::Dependencies attachments;
    attachments.client = client;
    attachments.selection = &m_selection;
    attachments.face = m_botFace;
    attachments.outgoing = m_outgoing.get();
    attachments.alerts = m_alerts;
    attachments.window = [this] { return static_cast<QWidget *>(m_window.get()); };
    attachments.camera = m_env.camera;
    attachments.cameraTiming = m_env.cameraTiming;
    m_attachments = std::make_unique<AttachmentSender>(std::move(attachments));

    VoiceRecorder::Dependencies voice;
    voice.client = client;
    voice.selection = &m_selection;
    voice.face = m_botFace;
    voice.alerts = m_alerts;
    voice.microphone = m_env.microphone;
    voice.ffmpegCandidates = AttachmentPresentation::ffmpegCandidates();
    m_voice = std::make_unique<VoiceRecorder>(std::move(voice));

    MacTaskController::Dependencies mac;
    mac.settings = m_env.settings;
    mac.secrets = m_env.secrets;
    mac.alerts = m_alerts;
    mac.options = m_env.macTasks;
    mac.client = client;
    mac.selection = &m_selection;
    mac.face = m_botFace;
    mac.setSubtitle = [this](const QString &text) { m_window->setSubtitle(text); };
    mac.reopenWindow = [this] { m_presence->reopen(); };
    m_mac = std::make_unique<MacTaskController>(std::move(mac));
    connect(m_mac.get(), &MacTaskController::accessChanged, this, &AppDelegate::refreshSettingsWindow);

    m_readAloud =
        std::make_unique<ReadAloud>(*m_env.settings, m_botFace, m_env.speechEngine, m_env.mediaPlayers);
    m_hoverShrink = std::make_unique<WindowHoverShrink>(*m_env.settings, m_window.get(), m_botFace,
                                                        m_env.pointerPosition, m_env.hoverExitPollMs);
    wireBotFace();
    m_appearance->attachBotFace(m_botFace);
}

BotFaceView *AppDelegate::botFace()
{
    buildChatFace();
    return m_botFace;
}

WindowHoverShrink *AppDelegate::hoverShrink()
{
    buildChatFace();
    return m_hoverShrink.get();
}

void AppDelegate::wireBotFace()
{
    connect(m_botFace, &BotFaceView::sendRequested, this, &AppDelegate::sendComposerText);
    connect(m_botFace, &BotFaceView::chooseBotRequested, this, &AppDelegate::chooseBot);
    connect(m_botFace, &BotFaceView::retryRequested, this, &AppDelegate::retryLastMessage);
    connect(m_botFace, &BotFaceView::pinToggled, m_presence.get(), &WindowPresence::toggleWindowPin);
    connect(m_presence.get(), &WindowPresence::windowPinChanged, m_botFace, &BotFaceView::setPinned);
    m_botFace->setPinned(m_presence->windowIsPinned());
    connect(m_botFace, &BotFaceView::fontScaleChanged, this, [this](qreal fontScale) {
        // The messages whose size changed are hidden while collapsed, and the
        // collapsed height is below the new minimum: the window comes back first.
        m_hoverShrink->restoreExpandedWindow();
        m_presence->updateWindowMinSize(fontScale);
    });
    connect(m_window.get(), &TelegramWindow::resized, m_botFace, [this] {
        if (!m_presence->isResizingWindowForFontScale())
            m_botFace->windowDidResize();
    });
    AttachmentSender *attachments = m_attachments.get();
    connect(m_botFace, &BotFaceView::attachRequested, attachments, &AttachmentSender::attachFile);
    connect(m_botFace, &BotFaceView::recordRequested, m_voice.get(), &VoiceRecorder::toggleVoiceRecording);
    connect(m_botFace, &BotFaceView::pasteFileRequested, attachments, [attachments](const QUrl &url) {
        if (url.isLocalFile())
            attachments->attachFileURL(url.toLocalFile());
    });
    connect(m_botFace, &BotFaceView::pasteImageRequested, attachments, &AttachmentSender::previewPhoto);

    OutgoingMessages *outgoing = m_outgoing.get();

    TranscriptActions &actions = m_botFace->transcript()->actions;
    actions.reaction = guarded(outgoing, [outgoing](const BotMessage &message, const QString &reaction) {
        outgoing->sendQuickReaction(reaction, message);
    });
    actions.remove = guarded(outgoing, &OutgoingMessages::deleteMessage);
    actions.inlineButton = guarded(outgoing, &OutgoingMessages::pressInlineButton);
    actions.downloadAttachment = guarded(outgoing, &OutgoingMessages::downloadAttachment);
    actions.saveAttachment = guarded(outgoing, &OutgoingMessages::saveAttachment);
}

const QList<BotMessage> &AppDelegate::telegramMessages()
{
    return botFace()->transcript()->telegramMessages();
}

void AppDelegate::onBotsChanged(const QList<BotConversation> &bots)
{
    buildChatFace();
    const auto stored = m_selection.reconcile(bots);
    if (m_selection.selectedChat() && !stored) {
        m_botFace->setComposerPlaceholder(ComposerInput::placeholder(m_selection.selectedChat()->title));
        m_outgoing->refreshRetry();
    }
    if (stored)
        selectBot(*stored);
    updateSelectedChatUnreadBadge();
    refreshSettingsWindow();
}

void AppDelegate::selectBot(const BotConversation &conversation)
{
    buildChatFace();
    m_selection.select(conversation);
    m_unread.selectionChanged(conversation.id);
    updateSelectedChatUnreadBadge();
    m_botFace->clearReplyBar();
    m_outgoing->refreshRetry();
    m_botFace->setComposerPlaceholder(ComposerInput::placeholder(conversation.title));
    m_window->setSubtitle(conversation.title);

    TranscriptController *transcript = m_botFace->transcript();
    transcript->setConversation(conversation.id);
    m_botFace->setEmptyStateVisible(false);
    transcript->resetForSelection();
    transcript->updateTypingIndicator();
    m_botFace->clearSearch();
    m_botFace->setMessages({});
    // The client empties the old chat on this call; its history arrives afterwards.
    if (m_client)
        m_client->selectBotChat(conversation.id);
    m_selection.selectionSent();
    refreshSettingsWindow();
    m_botFace->focusComposer();
}

void AppDelegate::chooseBot()
{
    if (!m_window)
        return;
    const AlertRequest request = m_selection.chooserRequest();
    if (request.items.isEmpty()) {
        m_alerts->present(request, {});
        return;
    }
    m_alerts->present(request, guarded(this, [this, shown = botChats()](const AlertAnswer &answer) {
                          if (const auto chosen = BotSelection::chosen(answer, shown, botChats()))
                              selectBot(*chosen);
                      }));
}

void AppDelegate::updateSelectedChatUnreadBadge()
{
    m_unread.updateLatest(m_selection.selectedUnreadCount(), m_window && m_window->isKey());
    refreshStatusItem();
}

void AppDelegate::onMessagesChanged(const QString &chatID, const QList<BotMessage> &messages)
{
    // A list for a chat that is no longer selected (queued before a switch) is stale.
    if (!m_selection.accepts(chatID))
        return;
    buildChatFace();
    TranscriptController *transcript = m_botFace->transcript();
    const bool firstList = m_selection.historyArrived();
    // The history that just arrived is neither counted nor read aloud.
    if (m_unread.messagesChanged(transcript->telegramMessages(), messages, !firstList,
                                 m_window && m_window->isKey(), m_selection.selectedChatID()) > 0)
        refreshStatusItem();
    if (firstList)
        transcript->autoReadGate().historyLoaded();
    else
        m_outgoing->messagesChanged(transcript->telegramMessages(), messages);
    transcript->setTelegramMessages(messages);
    m_mac->handleMacControlMessages(messages);
    transcript->messagesArrived();
    transcript->updateTypingIndicator();
}

void AppDelegate::setRemoteTyping(bool typing)
{
    buildChatFace();
    m_botFace->transcript()->setRemoteTyping(typing);
}

void AppDelegate::sendComposerText(const QString &text)
{
    if (!ComposerInput::canSend(text, selectedChat().has_value()))
        return;
    if (m_mac->isMacTaskDraft(ComposerInput::draftText(text))) {
        m_mac->runDraftAsMacTask(text);
        return;
    }
    m_outgoing->sendComposerText(text);
}

void AppDelegate::retryLastMessage()
{
    m_outgoing->retryLastMessage();
}
