// Start-up, the Telegram client's callbacks, sign-in and quitting.
#include "app/AppDelegate.h"

#include "app/AfterFirstFrame.h"
#include "app/Appearance.h"
#include "app/AttachmentSender.h"
#include "app/MacTaskController.h"
#include "app/OutgoingMessages.h"
#include "app/PeekabooToolSetup.h"
#include "app/ReadAloud.h"
#include "app/SettingsPresenter.h"
#include "app/SignInFlow.h"
#include "app/Termination.h"
#include "app/UpdatePresenter.h"
#include "app/VoiceRecorder.h"
#include "app/WindowHoverShrink.h"
#include "app/WindowPresence.h"
#include "app/WorkspaceFollowing.h"
#include "core/Guarded.h"
#include "desktop/AeroSpaceWorkspaceFollower.h"
#include "desktop/SingleInstance.h"
#include "settings/AppTheme.h"
#include "telegram/TelegramClient.h"
#include "ui/BotFaceView.h"
#include "ui/MainMenu.h"
#include "ui/SignInView.h"
#include "ui/StatusItem.h"
#include "ui/TelegramWindow.h"
#include "ui/TitleBar.h"
#include "ui/TranscriptController.h"
#include "ui/WidgetAlerts.h"

#include <QTimer>

AppDelegate::AppDelegate(const AppEnvironment &environment, QObject *parent)
    : QObject(parent), m_env(environment), m_selection(*environment.settings),
      m_appearance(std::make_unique<Appearance>(*environment.settings)),
      m_presence(std::make_unique<WindowPresence>(*environment.settings, environment.windowClock)),
      m_termination(std::make_unique<Termination>(environment.terminationFallbackMs))
{
    connect(m_termination.get(), &Termination::confirmed, this, &AppDelegate::terminationConfirmed);
    m_termination->stopWork = [this] {
        if (m_mac)
            m_mac->stopMacTasks();
        if (m_workspaceFollowing)
            m_workspaceFollowing->stop();
    };
    m_termination->closeSession = [this] {
        if (!m_client || !m_client->isReceiving())
            return false;
        m_client->closeForTermination();
        return true;
    };
}

AppDelegate::~AppDelegate()
{
    // The client's callbacks reach into the collaborators: it goes first.
    m_client.reset();
}

void AppDelegate::applicationDidFinishLaunching()
{
    m_appearance->applyAppearance();
    m_appearance->installApplicationIcon();
    createStatusItem();
    createWindow();
    // Without a global menu bar the menu lives in the window and the status item.
    installMainMenu();
    configureTitleBar();
    m_presence->attach(m_window.get());
    if (m_env.singleInstance)
        connect(m_env.singleInstance, &SingleInstance::showRequested, m_presence.get(),
                &WindowPresence::applicationShouldHandleReopen);
    createCollaborators();
    createTelegramClient();
    showLogin();

    // Loading TDLib and registering the tray icon wait for the window's first
    // frame rather than compete with it; a window kept hidden waits no longer than this.
    constexpr int firstFrameFallbackMs = 500;
    m_afterFirstFrame = std::make_unique<AfterFirstFrame>(m_window.get(), firstFrameFallbackMs);
    m_afterFirstFrame->add([this] {
        // Built before the client starts, so that every answer finds it.
        buildChatFace();
        m_statusItem->placeInTray();
        // The sign-in face is already up; the client only begins to receive.
        if (m_client && !isTerminating())
            m_client->start();
    });
    m_window->show();
    m_window->raise();
    m_window->activateWindow();

    attachWorkspaceFollower();
    QTimer::singleShot(0, m_presence.get(), &WindowPresence::applySpaceBehavior);
}

void AppDelegate::createWindow()
{
    m_window = std::make_unique<TelegramWindow>();
    connect(m_window.get(), &TelegramWindow::keyChanged, this, [this](bool isKey) {
        if (isKey)
            m_unread.windowBecameKey();
        else
            m_unread.windowResignedKey(m_selection.selectedChatID());
        refreshStatusItem();
    });
    if (m_env.alerts) {
        m_alerts = m_env.alerts;
    } else {
        m_ownAlerts = std::make_unique<WidgetAlerts>(m_window.get());
        m_alerts = m_ownAlerts.get();
    }
    m_signIn = new SignInView(m_window.get());
    m_signIn->hide();
    m_diagrams = std::make_unique<MermaidRenderer>(m_env.diagrams);
}

void AppDelegate::createCollaborators()
{
    const auto client = [this] { return m_client.get(); };
    m_signInFlow = std::make_unique<SignInFlow>(m_signIn, *m_alerts, client);
    m_updates = std::make_unique<UpdatePresenter>(*m_alerts);
    m_mainMenu->setUpdateChecker([this] { m_updates->checkForUpdates(); });
    m_appearance->attach(m_window.get(), m_signIn);
    createSettingsPresenter();
}

void AppDelegate::createTelegramClient()
{
    QString error;
    TelegramClient::Options options = m_env.clientOptions;
    options.secrets = m_env.secrets;
    m_client = TelegramClient::create(options, &error);
    if (!m_client) {
        m_signInFlow->setStatus(QStringLiteral("Could not prepare secure Telegram storage: ") + error);
        return;
    }
    wireClient();
}

void AppDelegate::startTelegramClient()
{
    if (!m_client)
        createTelegramClient();
    if (!m_client)
        return;
    m_client->start();
    showLogin();
}

void AppDelegate::wireClient()
{
    m_client->onStatus = guarded(m_signInFlow.get(), &SignInFlow::setStatus);
    m_client->onQRLink = guarded(this, &AppDelegate::showQR);
    m_client->onAuthorization = guarded(this, &AppDelegate::onAuthorization);
    m_client->onBotsChanged = guarded(this, &AppDelegate::onBotsChanged);
    m_client->onMessagesChanged = guarded(this, &AppDelegate::onMessagesChanged);
    m_client->onTypingChanged = guarded(this, &AppDelegate::setRemoteTyping);
    m_client->onPasswordRequested = guarded(this, &AppDelegate::requestPassword);
    m_client->onLoggedOut = guarded(this, &AppDelegate::onLoggedOut);
    m_client->onClosed = guarded(this, &AppDelegate::onClosed);
}

void AppDelegate::showQR(const std::optional<QString> &link)
{
    m_signInFlow->showQR(link);
}

void AppDelegate::showLogin()
{
    if (!m_window)
        return;
    m_window->setSubtitle(QString());
    m_signInFlow->showLogin();
    m_window->setFace(m_signIn);
}

void AppDelegate::showBots()
{
    if (!m_window)
        return;
    m_window->setFace(botFace());
    m_window->setSubtitle(selectedChat() ? selectedChat()->title : QString());
    m_botFace->focusComposer();
}

void AppDelegate::onAuthorization(bool authorized)
{
    m_signInFlow->setAuthorized(authorized);
    authorized ? showBots() : showLogin();
}

void AppDelegate::requestPassword()
{
    if (m_window)
        m_signInFlow->requestPassword();
}

void AppDelegate::cancelLogin()
{
    m_signInFlow->cancelLogin();
}

void AppDelegate::logOut()
{
    if (m_window)
        m_signInFlow->logOut();
}

bool AppDelegate::telegramAuthorized() const
{
    return m_signInFlow && m_signInFlow->telegramAuthorized();
}

bool AppDelegate::passwordPromptIsOpen() const
{
    return m_signInFlow && m_signInFlow->passwordPromptIsOpen();
}

void AppDelegate::bringWindowToFront()
{
    m_presence->bringWindowToFront();
}

void AppDelegate::onLoggedOut()
{
    // Every piece of the old account's state goes, where it lives.
    m_selection.reset();
    m_unread.reset();
    refreshStatusItem();
    buildChatFace();
    m_outgoing->reset();
    m_botFace->clearReplyBar();
    m_botFace->transcript()->reset();
    m_botFace->setEmptyStateVisible(true);
    m_signInFlow->setAuthorized(false);
    showLogin();
    m_signInFlow->setStatus(QStringLiteral("Signed out. Requesting a fresh Telegram QR code…"));
}

void AppDelegate::onClosed()
{
    if (m_termination->isPending()) {
        m_termination->sessionClosed();
        return;
    }
    // The user cancelled the sign-in (or the password): the closed session is
    // replaced by a fresh one, so a new QR code can be scanned without a restart.
    startTelegramClient();
}

void AppDelegate::requestTermination()
{
    m_termination->request();
}

bool AppDelegate::isTerminating() const
{
    return m_termination->isPending();
}

MacTaskOrchestrator *AppDelegate::macTasks()
{
    buildChatFace();
    return m_mac->orchestrator();
}

MacAccess *AppDelegate::macAccess()
{
    buildChatFace();
    return m_mac->access();
}

#include "moc_AppDelegate.cpp"
