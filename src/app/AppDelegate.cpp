#include "app/AppDelegate.h"

#include "settings/SettingsStore.h"
#include "ui/BotFaceView.h"
#include "ui/QrCodeImage.h"
#include "ui/SignInView.h"
#include "ui/TelegramWindow.h"
#include "ui/WidgetAlerts.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>
#include <QTimer>

AppDelegate::AppDelegate(const AppEnvironment &environment, QObject *parent) : QObject(parent), m_env(environment)
{
    m_followActiveSpaceEnabled = m_env.settings->defaultTrueBool(QStringLiteral("followActiveSpaceEnabled"));
    m_hoverShrinkEnabled = m_env.settings->defaultTrueBool(QStringLiteral("hoverShrinkEnabled"));
    m_lightAppearanceEnabled = m_env.settings->plainBool(QStringLiteral("lightAppearance"));
}

AppDelegate::~AppDelegate()
{
    // The client's callbacks capture this controller: drop them before it goes.
    m_client.reset();
    delete m_window;
}

void AppDelegate::applicationDidFinishLaunching()
{
    applyAppearance();
    installApplicationIcon();
    installMainMenu();
    createStatusItem();

    m_window = new TelegramWindow;
    connect(m_window, &TelegramWindow::keyChanged, this, [this](bool isKey) {
        if (isKey) {
            m_pendingUnreadCount = 0;
        } else {
            m_pendingUnreadBotID = m_selectedChat ? std::optional(m_selectedChat->id) : std::nullopt;
            m_pendingUnreadCount = std::max(m_pendingUnreadCount, m_latestUnreadCount);
        }
        refreshStatusItem();
    });
    connect(m_window, &TelegramWindow::closedByUser, this, [this] {
        m_mainWindowClosedByUser = true;
        m_mainWindowClosedAt = QDateTime::currentDateTime();
    });
    connect(m_window, &TelegramWindow::quitRequested, this, &AppDelegate::requestTermination);
    connect(m_window, &TelegramWindow::chooseBotRequested, this, [this] {
        if (m_telegramAuthorized)
            chooseBot();
    });
    connect(m_window, &TelegramWindow::logOutRequested, this, [this] {
        if (m_telegramAuthorized)
            logOut();
    });
    if (!m_env.alerts) {
        m_ownAlerts = std::make_unique<WidgetAlerts>(m_window);
        m_alerts = m_ownAlerts.get();
    } else {
        m_alerts = m_env.alerts;
    }
    configureTitleBar();
    if (!m_followActiveSpaceEnabled)
        placeWindowOnPrimaryScreen();

    m_signIn = new SignInView;
    connect(m_signIn, &SignInView::cancelRequested, this, &AppDelegate::cancelLogin);
    m_botFace = new BotFaceView;
    connect(m_botFace, &BotFaceView::sendRequested, this, &AppDelegate::sendComposerText);
    connect(m_botFace, &BotFaceView::chooseBotRequested, this, &AppDelegate::chooseBot);
    connect(m_botFace, &BotFaceView::retryRequested, this, &AppDelegate::retryLastMessage);
    wireBotFace();
    wireMacTasks();
    showLogin();

    m_window->show();
    m_window->raise();
    m_window->activateWindow();

    attachWorkspaceFollower();
    QTimer::singleShot(0, this, &AppDelegate::applySpaceBehavior);
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive && m_followActiveSpaceEnabled)
            bringWindowToFront();
    });
    startTelegramClient();
}

void AppDelegate::applyAppearance()
{
    // One style everywhere, so the light and dark palettes look the same on every desktop.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QPalette palette;
    if (!m_lightAppearanceEnabled) {
        palette.setColor(QPalette::Window, QColor(0x1f, 0x1d, 0x26));
        palette.setColor(QPalette::WindowText, QColor(0xee, 0xec, 0xf4));
        palette.setColor(QPalette::Base, QColor(0x2a, 0x27, 0x33));
        palette.setColor(QPalette::AlternateBase, QColor(0x33, 0x2f, 0x3d));
        palette.setColor(QPalette::Text, QColor(0xee, 0xec, 0xf4));
        palette.setColor(QPalette::Button, QColor(0x36, 0x32, 0x42));
        palette.setColor(QPalette::ButtonText, QColor(0xee, 0xec, 0xf4));
        palette.setColor(QPalette::PlaceholderText, QColor(0x9a, 0x96, 0xa8));
        palette.setColor(QPalette::Highlight, QColor(0x8b, 0x5c, 0xf6));
        palette.setColor(QPalette::HighlightedText, Qt::white);
        palette.setColor(QPalette::ToolTipBase, QColor(0x2a, 0x27, 0x33));
        palette.setColor(QPalette::ToolTipText, QColor(0xee, 0xec, 0xf4));
    } else {
        palette = QApplication::style()->standardPalette();
        palette.setColor(QPalette::Highlight, QColor(0x7c, 0x3a, 0xed));
    }
    QApplication::setPalette(palette);
}

void AppDelegate::installApplicationIcon()
{
    // Drawn at run time: a speech bubble on the theme's accent colour.
    QPixmap icon(128, 128);
    icon.fill(Qt::transparent);
    QPainter painter(&icon);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(0x7c, 0x3a, 0xed));
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(QRectF(8, 8, 112, 112), 26, 26);
    painter.setBrush(Qt::white);
    painter.drawRoundedRect(QRectF(30, 36, 68, 46), 14, 14);
    const QPointF tail[] = {{46, 80}, {42, 96}, {60, 80}};
    painter.drawPolygon(tail, 3);
    painter.end();
    QApplication::setWindowIcon(QIcon(icon));
}

void AppDelegate::installMainMenu() {}
void AppDelegate::createStatusItem() {}
void AppDelegate::configureTitleBar() {}
void AppDelegate::placeWindowOnPrimaryScreen() {}
void AppDelegate::attachWorkspaceFollower() {}
void AppDelegate::applySpaceBehavior() {}
void AppDelegate::refreshStatusItem() {}
void AppDelegate::refreshSettingsWindow() {}

void AppDelegate::startTelegramClient()
{
    if (m_client) {
        m_client->start();
        showLogin();
        return;
    }
    QString error;
    TelegramClient::Options options = m_env.clientOptions;
    options.secrets = m_env.secrets;
    m_client = TelegramClient::create(options, &error);
    if (!m_client) {
        m_signIn->setStatus(QStringLiteral("Could not prepare secure Telegram storage: ") + error);
        return;
    }
    wireClient();
    m_client->start();
    showLogin();
}

void AppDelegate::wireClient()
{
    QPointer<AppDelegate> self(this);
    m_client->onStatus = [self](const QString &text) {
        if (self && self->m_signIn)
            self->m_signIn->setStatus(text);
    };
    m_client->onQRLink = [self](const std::optional<QString> &link) {
        if (self)
            self->showQR(link);
    };
    m_client->onAuthorization = [self](bool authorized) {
        if (!self)
            return;
        self->m_telegramAuthorized = authorized;
        authorized ? self->showBots() : self->showLogin();
    };
    m_client->onBotsChanged = [self](const QList<BotConversation> &bots) {
        if (self)
            self->onBotsChanged(bots);
    };
    m_client->onMessagesChanged = [self](const QList<BotMessage> &messages) {
        if (self)
            self->onMessagesChanged(messages);
    };
    m_client->onTypingChanged = [self](bool typing) {
        if (self)
            self->setRemoteTyping(typing);
    };
    m_client->onPasswordRequested = [self] {
        if (self)
            self->requestPassword();
    };
    m_client->onLoggedOut = [self] {
        if (self)
            self->onLoggedOut();
    };
    m_client->onClosed = [self] {
        if (self)
            self->onClosed();
    };
}

void AppDelegate::showQR(const std::optional<QString> &link)
{
    if (!link) {
        m_signIn->showQRImage({});
        return;
    }
    const QImage image = QrCodeImage::render(*link);
    if (image.isNull()) {
        m_signIn->showQRFailure();
        m_signIn->setStatus(QStringLiteral("Telegram supplied a QR code that could not be rendered."));
        return;
    }
    m_signIn->showQRImage(image);
}

void AppDelegate::showLogin()
{
    if (!m_window)
        return;
    m_window->setSubtitle(QString());
    m_signIn->setHeading(QStringLiteral("Sign in to Telegram"));
    m_signIn->setInstructions(QStringLiteral(
        "On your phone, open Telegram and go to Settings → Devices → Link Desktop Device, then scan this QR code."));
    m_signIn->showQRImage({});
    m_window->setFace(m_signIn);
}

void AppDelegate::showBots()
{
    if (!m_window)
        return;
    m_window->setFace(m_botFace);
    m_window->setSubtitle(m_selectedChat ? m_selectedChat->title : QString());
    m_botFace->focusComposer();
}

void AppDelegate::requestPassword()
{
    if (!m_window || m_passwordPromptIsOpen)
        return;
    m_passwordPromptIsOpen = true;
    AlertRequest request;
    request.message = QStringLiteral("Telegram Two-Step Verification");
    request.informativeText = QStringLiteral("Enter your Telegram password to finish signing in.");
    request.buttons = {QStringLiteral("Continue"), QStringLiteral("Cancel")};
    request.cancelIndex = 1;
    request.accessory = AlertRequest::Accessory::SecureField;
    request.accessorySize = QSize(260, 24);
    QPointer<AppDelegate> self(this);
    m_alerts->present(request, [self](const AlertAnswer &answer) {
        if (!self)
            return;
        self->m_passwordPromptIsOpen = false;
        if (!self->m_client)
            return;
        if (answer.buttonIndex == 0)
            self->m_client->checkPassword(answer.text);
        else
            self->m_client->closeForTermination();
    });
}

void AppDelegate::cancelLogin()
{
    if (m_client)
        m_client->closeForTermination();
    // TDLib normally confirms within a second; a library that never answers
    // (still loading, or wedged) must not keep the application from quitting.
    QTimer::singleShot(10000, this, [this] { emit terminationConfirmed(); });
}

void AppDelegate::logOut()
{
    if (!m_window)
        return;
    AlertRequest request;
    request.message = QStringLiteral("Log Out of Telegram?");
    request.informativeText =
        QStringLiteral("This revokes the Telegram session for this app and removes its local encrypted session data.");
    request.buttons = {QStringLiteral("Log Out"), QStringLiteral("Cancel")};
    request.style = AlertRequest::Style::Warning;
    request.destructiveIndex = 0;
    request.cancelIndex = 1;
    QPointer<AppDelegate> self(this);
    m_alerts->present(request, [self](const AlertAnswer &answer) {
        if (self && answer.buttonIndex == 0 && self->m_client)
            self->m_client->logOut();
    });
}

void AppDelegate::bringWindowToFront()
{
    if (m_mainWindowClosedByUser || !m_window)
        return;
    applySpaceBehavior();
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void AppDelegate::onLoggedOut()
{
    m_botChats.clear();
    m_telegramMessages.clear();
    m_telegramAuthorized = false;
    m_autoReadPrimed = false;
    m_selectedChatHistoryLoaded = false;
    m_pendingUnreadCount = 0;
    m_pendingUnreadBotID.reset();
    m_latestUnreadCount = 0;
    refreshStatusItem();
    m_selectedChat.reset();
    m_lastSentMessage.reset();
    m_botFace->setRetryEnabled(false);
    m_botFace->setMessages({});
    m_botFace->setEmptyStateVisible(true);
    m_window->setSubtitle(QString());
    showLogin();
    m_signIn->setStatus(QStringLiteral("Signed out. Requesting a fresh Telegram QR code…"));
}

void AppDelegate::onClosed()
{
    if (m_terminationPending) {
        emit terminationConfirmed();
        return;
    }
    // The user cancelled the sign-in (or the password): the closed session is
    // replaced by a fresh one, so a new QR code can be scanned without a restart.
    startTelegramClient();
}

void AppDelegate::requestTermination()
{
    if (m_terminationPending)
        return;
    m_terminationPending = true;
    stopMacTasks();
    if (!m_client || !m_client->isReceiving()) {
        emit terminationConfirmed();
        return;
    }
    m_client->closeForTermination();
    // TDLib normally confirms within a second; a library that never answers
    // (still loading, or wedged) must not keep the application from quitting.
    QTimer::singleShot(10000, this, [this] { emit terminationConfirmed(); });
}
