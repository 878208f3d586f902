#include "app/MacTaskController.h"

#include "agent/MacAccess.h"
#include "agent/MacCommandParser.h"
#include "agent/PeekabooBridge.h"
#include "agent/PeekabooLog.h"
#include "chat/BotSelection.h"
#include "chat/TypingIndicator.h"
#include "core/Guarded.h"
#include "core/MainThread.h"
#include "telegram/TelegramClient.h"
#include "ui/BotFaceView.h"
#include "ui/SkillCompletionController.h"
#include "ui/TranscriptController.h"

#include <QApplication>

struct MacTaskController::Parts
{
    Parts(SettingsStore &settings, SecretStore &secrets) : bridge(settings, secrets, log), access(settings) {}

    PeekabooLog log;
    PeekabooBridge bridge;
    MacAccess access;
    SkillCompletionController popup;
};

MacTaskController::MacTaskController(Dependencies dependencies, QObject *parent)
    : QObject(parent), m_deps(std::move(dependencies)),
      m_parts(std::make_unique<Parts>(*m_deps.settings, *m_deps.secrets))
{
    m_parts->access.onChanged = guarded(this, [this](MacAccessLevel) { emit accessChanged(); });
    m_tasks = std::make_unique<MacTaskOrchestrator>(m_parts->access, m_parts->bridge, m_parts->log, *m_deps.alerts,
                                                    makeHooks(), m_deps.options);

    BotFaceView *face = m_deps.face;
    connect(face, &BotFaceView::runDraftAsMacTaskRequested, this, &MacTaskController::runDraftAsMacTask);
    connect(face->transcript(), &TranscriptController::macProgressShown, this,
            [this] { m_tasks->startMacProgressAnimation(); });
    face->setSkillCompletion(&m_parts->popup, guarded(this, [this](const QString &prefix) {
                                 // The popup takes the colours of the moment it is offered.
                                 m_parts->popup.setTheme(m_deps.face->theme());
                                 return m_parts->bridge.skills().matchingSkills(prefix);
                             }));
}

MacTaskController::~MacTaskController() = default;

MacAccess *MacTaskController::access() const
{
    return &m_parts->access;
}

MacTaskOrchestrator::Hooks MacTaskController::makeHooks()
{
    MacTaskOrchestrator::Hooks hooks;
    QPointer<MacTaskController> self(this);
    hooks.sendMessage = [self](const QString &text, const QString &chatID, const std::optional<QString> &replyTo,
                               MacTaskOrchestrator::SendCompletion completion) {
        TelegramClient *client = self ? self->m_deps.client() : nullptr;
        if (!client) {
            if (completion)
                completion(QStringLiteral("Telegram is not connected."));
            return;
        }
        // The client calls completions on its receive thread; the orchestration lives on the main one.
        client->sendMessage(text, chatID, replyTo,
                            [completion = std::move(completion)](const std::optional<QString> &error) {
                                if (completion)
                                    MainThread::post([completion, error] { completion(error); });
                            });
    };
    hooks.selectedChatID = [self]() -> std::optional<QString> {
        return self ? self->m_deps.selection->selectedChatID() : std::nullopt;
    };
    hooks.selectedChatTitle = [self] {
        return self && self->m_deps.selection->selectedChat() ? self->m_deps.selection->selectedChat()->title
                                                               : QString();
    };
    hooks.showStatus = [self](const QString &text) {
        if (self)
            self->m_deps.face->showStatus(text);
    };
    hooks.setSubtitle = [self](const QString &text) {
        if (self)
            self->m_deps.setSubtitle(text);
    };
    hooks.progressChanged = [self] {
        if (!self)
            return;
        const MacTaskOrchestrator &tasks = *self->m_tasks;
        TypingIndicator::MacTask task;
        task.running = tasks.macTaskRunning();
        task.hasStartTime = tasks.macTaskStartedAt().has_value();
        task.progressText = tasks.macProgressText();
        self->m_deps.face->transcript()->setMacTask(task.running ? std::optional(task) : std::nullopt);
    };
    hooks.setProgressRowText = [self](const QString &text) {
        return self && self->m_deps.face->updateThinkingText(TypingIndicator::macProgressItemID, text);
    };
    hooks.bringToFront = [self] {
        if (self)
            self->m_deps.reopenWindow();
    };
    hooks.beep = [] { QApplication::beep(); };
    hooks.clearComposer = [self] {
        if (self)
            self->m_deps.face->clearComposer();
    };
    return hooks;
}

void MacTaskController::runDraftAsMacTask(const QString &draft)
{
    m_tasks->runDraftAsMacTask(draft);
}

bool MacTaskController::isMacTaskDraft(const QString &draft) const
{
    return MacCommandParser::explicitTask(draft).has_value() || m_parts->bridge.skills().startsWithKnownSkill(draft);
}

void MacTaskController::handleMacControlMessages(const QList<BotMessage> &messages)
{
    QList<MacTaskOrchestrator::ChatMessage> list;
    list.reserve(messages.size());
    for (const BotMessage &message : messages)
        list.append({message.id, message.text, message.isOutgoing, message.date});
    m_tasks->handleMacControlMessages(list);
}

void MacTaskController::stopMacTasks()
{
    m_parts->bridge.cancel();
    m_tasks->dropScheduledMacTasks();
}
