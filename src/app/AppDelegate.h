#pragma once

#include "agent/MacTaskOrchestrator.h"
#include "telegram/BotMessage.h"
#include "telegram/TelegramClient.h"
#include "ui/TelegramWindow.h"

#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <memory>
#include <optional>

class Alerts;
class AppTheme;
class QImage;
class BotFaceView;
class SecretStore;
class SettingsStore;
class SignInView;

// What differs between the product, the demo and the tests.
struct AppEnvironment
{
    SettingsStore *settings = nullptr;
    SecretStore *secrets = nullptr;
    TelegramClient::Options clientOptions;
    // Null: window-modal dialogs over the chat window.
    Alerts *alerts = nullptr;
    // Mac tasks: the clock, watchdog and system-action backend (tests shorten or fake them).
    MacTaskOrchestrator::Options macTasks;
};

// The one controller: owns the window and the Telegram client, decides which
// face the window shows, keeps the bot list and the selection, and runs the
// orderly shutdown that waits for TDLib to close.
class AppDelegate : public QObject
{
    Q_OBJECT
public:
    explicit AppDelegate(const AppEnvironment &environment, QObject *parent = nullptr);
    ~AppDelegate() override;

    void applicationDidFinishLaunching();
    // Asks to quit; terminationConfirmed follows once TDLib has closed.
    void requestTermination();

    // Operations offered to the rest of the window.
    void showLogin();
    void showBots();
    void bringWindowToFront();
    void cancelLogin();
    void logOut();
    void chooseBot();
    void selectBot(const BotConversation &conversation);
    void sendComposerText(const QString &text);
    // The theme change and the light/dark switch, with every themed view recoloured.
    void changeTheme(AppTheme theme);
    void updateAppearance(bool lightAppearance);

    TelegramWindow *window() const { return m_window; }
    SignInView *signInView() const { return m_signIn; }
    BotFaceView *botFace() const { return m_botFace; }
    TelegramClient *client() const { return m_client.get(); }
    const QList<BotConversation> &botChats() const { return m_botChats; }
    const std::optional<BotConversation> &selectedChat() const { return m_selectedChat; }
    const QList<BotMessage> &telegramMessages() const { return m_telegramMessages; }
    bool telegramAuthorized() const { return m_telegramAuthorized; }
    bool passwordPromptIsOpen() const { return m_passwordPromptIsOpen; }
    int pendingUnreadCount() const { return m_pendingUnreadCount; }
    bool isTerminating() const { return m_terminationPending; }
    MacTaskOrchestrator *macTasks() const;
    MacAccess *macAccess() const;

signals:
    void terminationConfirmed();

private:
    // Start-up hooks, filled as the window grows.
    void applyAppearance();
    void installApplicationIcon();
    void installMainMenu();
    void createStatusItem();
    void configureTitleBar();
    void placeWindowOnPrimaryScreen();
    void attachWorkspaceFollower();
    void applySpaceBehavior();
    void refreshStatusItem();
    void refreshSettingsWindow();
    void updateSelectedChatUnreadBadge();
    void updateTypingIndicator();

    void startTelegramClient();
    void wireClient();
    void showQR(const std::optional<QString> &link);
    void requestPassword();
    void onMessagesChanged(const QList<BotMessage> &messages);
    void onBotsChanged(const QList<BotConversation> &bots);
    void onLoggedOut();
    void onClosed();
    void setRemoteTyping(bool typing);
    void retryLastMessage();
    // The bot face's transcript and composer actions (AppDelegateBots.cpp).
    void wireBotFace();
    void applyTheme();
    void deleteMessage(const BotMessage &message);
    void sendQuickReaction(const QString &reaction, const BotMessage &message);
    void saveAttachment(const BotMessageSegment &segment);
    void sendPastedFile(const QString &path);
    void sendPastedImage(const QImage &image);
    void afterSending(const QString &text, const std::optional<QString> &replyTo);
    // Mac tasks, the agent and the skill popup (AppDelegateMacTasks.cpp).
    struct MacControl;
    struct MacControlDeleter
    {
        void operator()(MacControl *control) const;
    };
    void createMacControl();
    void wireMacTasks();
    void runDraftAsMacTask(const QString &draft);
    void handleMacControlMessages(const QList<BotMessage> &messages);
    // A "/mac" command, or a draft that starts with an installed skill's name.
    bool isMacTaskDraft(const QString &draft) const;
    // Quitting: the running agent is stopped and scheduled tasks are dropped.
    void stopMacTasks();

    AppEnvironment m_env;
    std::unique_ptr<Alerts> m_ownAlerts;
    Alerts *m_alerts = nullptr;

    QPointer<TelegramWindow> m_window;
    SignInView *m_signIn = nullptr;
    BotFaceView *m_botFace = nullptr;
    std::unique_ptr<TelegramClient> m_client;

    QList<BotConversation> m_botChats;
    std::optional<BotConversation> m_selectedChat;
    bool m_telegramAuthorized = false;
    bool m_passwordPromptIsOpen = false;
    QList<BotMessage> m_telegramMessages;
    bool m_selectedChatHistoryLoaded = false;
    bool m_autoReadPrimed = false;
    bool m_suppressAutoReadOnce = false;
    bool m_awaitingReply = false;
    QSet<QString> m_knownIncomingMessageIDs;
    bool m_remoteTypingActive = false;
    int m_pendingUnreadCount = 0;
    std::optional<QString> m_pendingUnreadBotID;
    int m_latestUnreadCount = 0;
    struct LastSentMessage
    {
        QString chatID;
        QString text;
        std::optional<QString> replyToMessageID;
    };
    std::optional<LastSentMessage> m_lastSentMessage;
    bool m_windowIsPinned = true;
    bool m_mainWindowClosedByUser = false;
    std::optional<QDateTime> m_mainWindowClosedAt;
    bool m_followActiveSpaceEnabled = true;
    bool m_hoverShrinkEnabled = true;
    bool m_lightAppearanceEnabled = false;
    bool m_terminationPending = false;
    bool m_botFaceWired = false;
    std::unique_ptr<MacControl, MacControlDeleter> m_mac;
};
