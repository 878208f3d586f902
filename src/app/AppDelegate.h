#pragma once

#include "app/AppEnvironment.h"
#include "chat/BotSelection.h"
#include "chat/UnreadCounter.h"
#include "telegram/BotMessage.h"

#include <QObject>
#include <functional>
#include <memory>
#include <optional>

class AfterFirstFrame;
class AppTheme;
class Appearance;
class AttachmentSender;
class BotFaceView;
class MacAccess;
class MainMenu;
class MacTaskController;
class MacTaskOrchestrator;
class OutgoingMessages;
class PeekabooToolSetup;
class ReadAloud;
class SignInFlow;
class SignInView;
class SettingsPresenter;
class StatusItem;
class TelegramClient;
class TelegramWindow;
class Termination;
class TitleBar;
class VoiceRecorder;
class WindowHoverShrink;
class WindowPresence;
class WorkspaceFollowing;

// The one controller: creates the window, the Telegram client and the
// collaborators that own each concern, and connects them. Its own state is
// only the objects it owns.
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
    // Creates the settings window on first use, refreshes it and shows it.
    void openSettings();

    TelegramWindow *window() const { return m_window.get(); }
    MermaidRenderer *diagrams() const { return m_diagrams.get(); }
    SignInView *signInView() const { return m_signIn; }
    // The chat face and what works on it are built after the sign-in face's
    // first frame; asking for one of them earlier builds them then.
    BotFaceView *botFace();
    TelegramClient *client() const { return m_client.get(); }
    const QList<BotConversation> &botChats() const { return m_selection.botChats(); }
    const std::optional<BotConversation> &selectedChat() const { return m_selection.selectedChat(); }
    const QList<BotMessage> &telegramMessages();
    bool telegramAuthorized() const;
    bool passwordPromptIsOpen() const;
    int pendingUnreadCount() const { return m_unread.pendingUnreadCount(); }
    bool isTerminating() const;
    MacTaskOrchestrator *macTasks();
    MacAccess *macAccess();
    StatusItem *statusItem() const { return m_statusItem.get(); }
    WindowPresence *presence() const { return m_presence.get(); }
    SettingsPresenter *settingsPresenter() const { return m_settings.get(); }
    WindowHoverShrink *hoverShrink();
    MainMenu *mainMenu() const { return m_mainMenu.get(); }
    // The settings window's switch for shrinking the window to its composer.
    void toggleHoverShrink();
    // Until the settings window's opener is set, the menu item is disabled.
    void setSettingsOpener(std::function<void()> opener);
    void checkForUpdates();

signals:
    void terminationConfirmed();

private:
    // Start-up hooks, filled as the window grows.
    void installMainMenu();
    void createStatusItem();
    void configureTitleBar();
    void attachWorkspaceFollower();
    void refreshStatusItem();
    void refreshSettingsWindow();
    void createSettingsPresenter();
    void updateSelectedChatUnreadBadge();

    void createWindow();
    void createCollaborators();
    // Idempotent: the first call builds the chat face and its collaborators.
    void buildChatFace();
    void createTelegramClient();
    void startTelegramClient();
    void wireClient();
    void showQR(const std::optional<QString> &link);
    void requestPassword();
    void onAuthorization(bool authorized);
    void onMessagesChanged(const QString &chatID, const QList<BotMessage> &messages);
    void onBotsChanged(const QList<BotConversation> &bots);
    void onLoggedOut();
    void onClosed();
    void setRemoteTyping(bool typing);
    void retryLastMessage();
    void wireBotFace();

    AppEnvironment m_env;
    std::unique_ptr<Alerts> m_ownAlerts;
    Alerts *m_alerts = nullptr;
    // Outlives the window's rows, which ask it for pictures.
    std::unique_ptr<MermaidRenderer> m_diagrams;
    // The window owns both faces; only one is on screen at a time.
    std::unique_ptr<TelegramWindow> m_window;
    SignInView *m_signIn = nullptr;
    BotFaceView *m_botFace = nullptr;
    std::unique_ptr<TelegramClient> m_client;

    BotSelection m_selection;
    UnreadCounter m_unread;
    // Declared after the window and the client: they go first, while what they use still exists.
    std::unique_ptr<Appearance> m_appearance;
    std::unique_ptr<WindowPresence> m_presence;
    std::unique_ptr<StatusItem> m_statusItem;
    std::unique_ptr<Termination> m_termination;
    std::unique_ptr<SignInFlow> m_signInFlow;
    std::unique_ptr<OutgoingMessages> m_outgoing;
    std::unique_ptr<AttachmentSender> m_attachments;
    std::unique_ptr<VoiceRecorder> m_voice;
    std::unique_ptr<MacTaskController> m_mac;
    std::unique_ptr<ReadAloud> m_readAloud;
    std::unique_ptr<WindowHoverShrink> m_hoverShrink;
    std::unique_ptr<MainMenu> m_mainMenu;
    std::unique_ptr<TitleBar> m_titleBar;
    std::unique_ptr<WorkspaceFollowing> m_workspaceFollowing;
    std::unique_ptr<class UpdateController> m_updates;
    std::unique_ptr<PeekabooToolSetup> m_agentSetup;
    std::unique_ptr<AfterFirstFrame> m_afterFirstFrame;
    // Last: the settings window's hooks reach every collaborator above.
    std::unique_ptr<SettingsPresenter> m_settings;
};
