// The controller's side of Mac tasks: it owns the access level, the agent
// runner, its activity log, the skill popup and the orchestration, and wires
// them to the client, the window, the transcript and the composer. The logic
// is MacTaskOrchestrator's.
#include "app/AppDelegate.h"

#include "agent/MacAccess.h"
#include "agent/PeekabooBridge.h"
#include "agent/PeekabooLog.h"
#include "core/MainThread.h"
#include "chat/TypingIndicator.h"
#include "ui/BotFaceView.h"
#include "ui/ComposerTextView.h"
#include "ui/ComposerView.h"
#include "ui/SkillCompletionController.h"
#include "ui/TelegramMessageRow.h"
#include "ui/TranscriptController.h"
#include "ui/TranscriptView.h"

#include <QApplication>

struct AppDelegate::MacControl
{
    MacControl(SettingsStore &settings, SecretStore &secrets)
        : bridge(settings, secrets, log), access(settings)
    {
    }

    PeekabooLog log;
    PeekabooBridge bridge;
    MacAccess access;
    SkillCompletionController popup;
    std::unique_ptr<MacTaskOrchestrator> tasks;
};

void AppDelegate::MacControlDeleter::operator()(MacControl *control) const
{
    delete control;
}

MacTaskOrchestrator *AppDelegate::macTasks() const
{
    return m_mac ? m_mac->tasks.get() : nullptr;
}

MacAccess *AppDelegate::macAccess() const
{
    return m_mac ? &m_mac->access : nullptr;
}

void AppDelegate::createMacControl()
{
    m_mac.reset(new MacControl(*m_env.settings, *m_env.secrets));
    QPointer<AppDelegate> self(this);
    m_mac->access.onChanged = [self](MacAccessLevel) {
        if (self)
            self->refreshSettingsWindow();
    };
    MacTaskOrchestrator::Hooks hooks;
    hooks.sendMessage = [self](const QString &text, const QString &chatID,
                               const std::optional<QString> &replyTo,
                               MacTaskOrchestrator::SendCompletion completion) {
        if (!self || !self->m_client)
            return;
        // The client calls completions on its receive thread; the orchestration lives on the main one.
        self->m_client->sendMessage(text, chatID, replyTo,
                                    [completion = std::move(completion)](const std::optional<QString> &error) {
                                        if (completion)
                                            MainThread::post([completion, error] { completion(error); });
                                    });
    };
    hooks.selectedChatID = [self]() -> std::optional<QString> {
        if (!self || !self->m_selectedChat)
            return std::nullopt;
        return self->m_selectedChat->id;
    };
    hooks.selectedChatTitle = [self] {
        return self && self->m_selectedChat ? self->m_selectedChat->title : QString();
    };
    hooks.showStatus = [self](const QString &text) {
        if (self && self->m_botFace)
            self->m_botFace->showStatus(text);
    };
    hooks.setSubtitle = [self](const QString &text) {
        if (self && self->m_window)
            self->m_window->setSubtitle(text);
    };
    hooks.progressChanged = [self] {
        if (!self || !self->m_botFace || !self->m_mac)
            return;
        const MacTaskOrchestrator &tasks = *self->m_mac->tasks;
        TypingIndicator::MacTask task;
        task.running = tasks.macTaskRunning();
        task.hasStartTime = tasks.macTaskStartedAt().has_value();
        task.progressText = tasks.macProgressText();
        self->m_botFace->transcript()->setMacTask(task.running ? std::optional(task) : std::nullopt);
    };
    hooks.setProgressRowText = [self](const QString &text) {
        if (!self || !self->m_botFace)
            return false;
        TelegramMessageRow *row = self->m_botFace->transcriptView()->lastRow();
        if (!row || row->message().id != TypingIndicator::macProgressItemID)
            return false;
        row->updateThinkingText(text);
        return true;
    };
    hooks.bringToFront = [self] {
        if (!self)
            return;
        self->m_mainWindowClosedByUser = false;
        self->m_mainWindowClosedAt.reset();
        self->bringWindowToFront();
    };
    hooks.beep = [] { QApplication::beep(); };
    hooks.clearComposer = [self] {
        if (!self || !self->m_botFace)
            return;
        ComposerView *composer = self->m_botFace->composer();
        composer->clearInput();
        composer->input()->applyTokenHighlighting();
        composer->input()->updateSkillCompletion();
    };
    m_mac->tasks = std::make_unique<MacTaskOrchestrator>(m_mac->access, m_mac->bridge, m_mac->log, *m_alerts,
                                                         std::move(hooks), m_env.macTasks);
}

void AppDelegate::wireMacTasks()
{
    createMacControl();
    connect(m_botFace, &BotFaceView::runDraftAsMacTaskRequested, this, &AppDelegate::runDraftAsMacTask);
    connect(m_botFace->transcript(), &TranscriptController::macProgressShown, this, [this] {
        if (m_mac)
            m_mac->tasks->startMacProgressAnimation();
    });

    ComposerTextView *input = m_botFace->composer()->input();
    SkillCompletionController *popup = &m_mac->popup;
    input->skillCompletion = popup;
    QPointer<AppDelegate> self(this);
    input->skillNameProvider = [self](const QString &prefix) {
        if (!self || !self->m_mac)
            return QStringList();
        // The popup takes the colours of the moment it is offered.
        self->m_mac->popup.setTheme(self->m_botFace->theme());
        return self->m_mac->bridge.skills().matchingSkills(prefix);
    };
    QPointer<ComposerTextView> target(input);
    popup->onCommit = [target](const QString &name) {
        if (target)
            target->commitSkill(name);
    };
}

void AppDelegate::runDraftAsMacTask(const QString &draft)
{
    if (m_mac)
        m_mac->tasks->runDraftAsMacTask(draft);
}

bool AppDelegate::isMacTaskDraft(const QString &draft) const
{
    return MacCommandParser::explicitTask(draft).has_value() ||
           (m_mac && m_mac->bridge.skills().startsWithKnownSkill(draft));
}

void AppDelegate::handleMacControlMessages(const QList<BotMessage> &messages)
{
    if (!m_mac)
        return;
    QList<MacTaskOrchestrator::ChatMessage> list;
    list.reserve(messages.size());
    for (const BotMessage &message : messages)
        list.append({message.id, message.text, message.isOutgoing, message.date});
    m_mac->tasks->handleMacControlMessages(list);
}

void AppDelegate::stopMacTasks()
{
    if (!m_mac)
        return;
    m_mac->bridge.cancel();
    m_mac->tasks->dropScheduledMacTasks();
}
