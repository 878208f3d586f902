#pragma once

#include "agent/MacTaskOrchestrator.h"
#include "telegram/BotMessage.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

class Alerts;
class BotFaceView;
class BotSelection;
class MacAccess;
class PeekabooBridge;
class SecretStore;
class SettingsStore;
class TelegramClient;

// The remote control's side of the window: the agent runner, the access
// level, the skill popup and the task orchestration, wired to the selected
// conversation, the transcript's progress row and the composer.
class MacTaskController : public QObject
{
    Q_OBJECT
public:
    struct Dependencies
    {
        SettingsStore *settings = nullptr;
        SecretStore *secrets = nullptr;
        Alerts *alerts = nullptr;
        MacTaskOrchestrator::Options options;
        std::function<TelegramClient *()> client;
        BotSelection *selection = nullptr;
        BotFaceView *face = nullptr;
        std::function<void(const QString &)> setSubtitle;
        // Brings the window forward, even after the user closed it.
        std::function<void()> reopenWindow;
    };

    explicit MacTaskController(Dependencies dependencies, QObject *parent = nullptr);
    ~MacTaskController() override;

    MacTaskOrchestrator *orchestrator() const { return m_tasks.get(); }
    // The agent activity log window, made on first use and kept.
    void showPeekabooLog(QWidget *parent);
    MacAccess *access() const;
    // The agent tool: the settings window's Peekaboo status, provider test
    // and ChatGPT sign-in go through it.
    PeekabooBridge *bridge() const;

    // A "/mac" command, or a draft that starts with an installed skill's name.
    bool isMacTaskDraft(const QString &draft) const;
    void runDraftAsMacTask(const QString &draft);
    void handleMacControlMessages(const QList<BotMessage> &messages);
    // Quitting: the running agent is stopped and scheduled tasks are dropped.
    void stopMacTasks();

signals:
    void accessChanged();

private:
    MacTaskOrchestrator::Hooks makeHooks();

    struct Parts;
    Dependencies m_deps;
    std::unique_ptr<Parts> m_parts;
    std::unique_ptr<MacTaskOrchestrator> m_tasks;
};
