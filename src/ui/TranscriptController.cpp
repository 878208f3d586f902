#include "ui/TranscriptController.h"

#include "chat/TranscriptSearch.h"
#include "ui/TranscriptView.h"

#include <QEvent>

TranscriptController::TranscriptController(TranscriptView *view, AudioPlayback *audio,
                                           MessageSpeaker *speaker, MermaidRenderer *diagrams, QObject *parent)
    : QObject(parent), m_view(view)
{
    m_context.audio = audio;
    m_context.speaker = speaker;
    m_context.diagrams = diagrams;
    m_typingTimer.setInterval(TypingIndicator::typingAnimationIntervalMs);
    connect(&m_typingTimer, &QTimer::timeout, this, &TranscriptController::typingTick);
    m_typingExpireTimer.setSingleShot(true);
    m_typingExpireTimer.setInterval(TypingIndicator::remoteTypingExpiryMs);
    connect(&m_typingExpireTimer, &QTimer::timeout, this, [this] {
        m_typing.setRemoteTyping(false);
        updateTypingIndicator();
    });
    // The typing animation runs only while the transcript is on screen.
    m_view->installEventFilter(this);
}

QList<BotMessage> TranscriptController::filteredMessages(const QList<BotMessage> &messages) const
{
    return TranscriptSearch::filteredMessages(messages, m_searchQuery);
}

TelegramMessageRow *TranscriptController::makeMessageRow(const BotMessage &message)
{
    MessageRowContext context = m_context;
    context.chatID = m_chatID.value_or(QString());
    context.horizontalInset = m_view->messageInset();
    auto *row = new TelegramMessageRow(message, context);
    // Each action reads the controller's current wiring when it happens.
    row->onReply = [this](const BotMessage &m) {
        if (actions.reply)
            actions.reply(m);
    };
    row->onReaction = [this](const BotMessage &m, const QString &reaction) {
        if (actions.reaction)
            actions.reaction(m, reaction);
    };
    row->onDelete = [this](const BotMessage &m) {
        if (actions.remove)
            actions.remove(m);
    };
    row->onInlineButton = [this](const BotMessage &m, const BotInlineButton &button) {
        if (actions.inlineButton)
            actions.inlineButton(m, button);
    };
    row->onDownloadAttachment = [this](const BotMessageSegment &segment) {
        if (actions.downloadAttachment)
            actions.downloadAttachment(segment);
    };
    row->onSaveAttachment = [this](const BotMessageSegment &segment) {
        if (actions.saveAttachment)
            actions.saveAttachment(segment);
    };
    return row;
}

void TranscriptController::showMessages(const QList<BotMessage> &messages, bool scrollToBottom,
                                        bool forceRebuild)
{
    QSet<QString> rowIDs;
    for (auto it = m_view->messageRows().cbegin(); it != m_view->messageRows().cend(); ++it)
        rowIDs.insert(it.key());
    const TranscriptPlan plan =
        TranscriptPlan::plan(messages, m_searchQuery, m_displayedMessages, rowIDs, forceRebuild);
    m_view->applyPlan(plan, [this](const BotMessage &message) { return makeMessageRow(message); });
    m_displayedMessages = messages;

    const bool settingOn = autoReadEnabled && autoReadEnabled();
    if (m_autoReadGate.admit(settingOn) && !plan.fresh.isEmpty() && onFreshMessages)
        onFreshMessages(plan.fresh);

    m_view->setEmptyState(
        TranscriptSearch::emptyStateText(m_searchQuery),
        TranscriptSearch::emptyStateVisible(m_searchQuery, plan.visible.size(), m_chatID.has_value()));
    m_view->updateTranscriptLayout(scrollToBottom || plan.ownMessageAdded);
}

void TranscriptController::updateTypingIndicator()
{
    refresh(false);
}

void TranscriptController::refresh(bool scrollToBottom)
{
    TypingIndicator::MacTask task;
    if (m_macTask)
        task = *m_macTask;
    const TypingIndicator::Update update = m_typing.update(m_telegramMessages, task, m_displayedMessages);
    if (!update.changed) {
        if (scrollToBottom)
            m_view->updateTranscriptLayout(true);
        return;
    }
    // Edits of messages already shown (a pressed inline button, a reaction
    // count) leave the view where the user put it; it follows the end only
    // while it is there, or when the user sends.
    showMessages(update.messages, scrollToBottom, false);
    if (update.animateMacProgress)
        emit macProgressShown();
    if (update.animateTyping)
        startTypingAnimation();
    else
        m_typingTimer.stop();
}

void TranscriptController::startTypingAnimation()
{
    m_typingTimer.stop();
    TelegramMessageRow *row = m_view->lastRow();
    if (!row || row->message().id != TypingIndicator::typingItemID)
        return;
    m_typingTicks = 0;
    if (m_view->isVisible())
        m_typingTimer.start();
}

void TranscriptController::typingTick()
{
    TelegramMessageRow *row = m_view->lastRow();
    if (!row || row->message().id != TypingIndicator::typingItemID) {
        m_typingTimer.stop();
        return;
    }
    m_typingTicks = (m_typingTicks + 1) % 4;
    row->updateThinkingText(TypingIndicator::typingText(m_typingTicks));
}

bool TranscriptController::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_view) {
        if (event->type() == QEvent::Hide)
            m_typingTimer.stop();
        else if (event->type() == QEvent::Show && isTypingIndicatorShowing() && !m_macTask)
            startTypingAnimation();
    }
    return QObject::eventFilter(watched, event);
}

void TranscriptController::setRemoteTyping(bool active)
{
    m_typing.setRemoteTyping(active);
    m_typingExpireTimer.stop();
    if (active)
        m_typingExpireTimer.start();
    updateTypingIndicator();
}

void TranscriptController::setAwaitingReply(bool awaiting)
{
    m_typing.setAwaitingReply(awaiting, m_telegramMessages);
    // Awaiting starts with the user's own send, which the view follows to the end.
    refresh(awaiting);
}

void TranscriptController::messagesArrived()
{
    m_typing.messagesArrived(m_telegramMessages);
}

void TranscriptController::resetForSelection()
{
    m_typing.reset();
    m_typingExpireTimer.stop();
    m_autoReadGate.reset();
    m_telegramMessages.clear();
}

void TranscriptController::reset()
{
    resetForSelection();
    m_typingTimer.stop();
    m_chatID.reset();
    showMessages({}, true, true);
}

void TranscriptController::setMacTask(const std::optional<TypingIndicator::MacTask> &task)
{
    m_macTask = task;
    updateTypingIndicator();
}

void TranscriptController::searchChanged(const QString &fieldText)
{
    const QString query = TranscriptSearch::normalizedQuery(fieldText);
    if (query == m_searchQuery)
        return;
    m_searchQuery = query;
    showMessages(m_displayedMessages, true, true);
}

void TranscriptController::setConversation(const std::optional<QString> &chatID)
{
    m_chatID = chatID;
}

void TranscriptController::setFontScale(qreal scale)
{
    if (qFuzzyCompare(scale, m_context.fontScale))
        return;
    m_context.fontScale = scale;
    showMessages(m_displayedMessages, false, true);
}

void TranscriptController::setTheme(const UiTheme &theme)
{
    m_context.theme = theme;
    m_view->applyTheme(theme);
    showMessages(m_displayedMessages, false, true);
}

#include "moc_TranscriptController.cpp"
