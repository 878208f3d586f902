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
#include "ui/PeekabooLogWindow.h"
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
    std::unique_ptr<PeekabooLogWindow> logWindow;
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

PeekabooBridge *MacTaskController::bridge() const
{
    return &m_parts->bridge;
}

MacTaskOrchestrator::Hooks MacTaskController::makeHooks()
{
    MacTaskOrchestrator::Hooks hooks;
    hooks.sendMessage = [this, alive = QPointer<MacTaskController>(this)](
                            const QString &text, const QString &chatID, const std::optional<QString> &replyTo,
                            MacTaskOrchestrator::SendCompletion completion) {
        TelegramClient *client = alive ? m_deps.client() : nullptr;
        if (!client) {
            // A reply that cannot go out still ends its task.
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
    hooks.selectedChatID = guarded(this, [this] { return m_deps.selection->selectedChatID(); });
    hooks.selectedChatTitle = guarded(this, [this] {
        return m_deps.selection->selectedChat() ? m_deps.selection->selectedChat()->title : QString();
    });
    hooks.showStatus = guarded(this, [this](const QString &text) { m_deps.face->showStatus(text); });
    hooks.setSubtitle = guarded(this, [this](const QString &text) { m_deps.setSubtitle(text); });
    hooks.progressChanged = guarded(this, [this] {
        TypingIndicator::MacTask task;
        task.running = m_tasks->macTaskRunning();
        task.hasStartTime = m_tasks->macTaskStartedAt().has_value();
        task.progressText = m_tasks->macProgressText();
        m_deps.face->transcript()->setMacTask(task.running ? std::optional(task) : std::nullopt);
    });
    hooks.setProgressRowText = guarded(this, [this](const QString &text) {
        return m_deps.face->updateThinkingText(TypingIndicator::macProgressItemID, text);
    });
    hooks.bringToFront = guarded(this, [this] { m_deps.reopenWindow(); });
    hooks.beep = [] { QApplication::beep(); };
    hooks.clearComposer = guarded(this, [this] { m_deps.face->clearComposer(); });
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

void MacTaskController::showPeekabooLog(QWidget *parent)
{
    if (!m_parts->logWindow) {
        m_parts->logWindow = std::make_unique<PeekabooLogWindow>(m_parts->log, parent);
        m_parts->logWindow->setWindowFlag(Qt::Window);
    }
    m_parts->logWindow->present();
}

#include "moc_MacTaskController.cpp"
