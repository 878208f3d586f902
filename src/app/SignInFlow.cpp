#include "app/SignInFlow.h"

#include "core/Alerts.h"
#include "core/Guarded.h"
#include "telegram/TelegramClient.h"
#include "ui/QrCodeImage.h"
#include "ui/SignInView.h"

SignInFlow::SignInFlow(SignInView *view, Alerts &alerts, std::function<TelegramClient *()> client, QObject *parent)
    : QObject(parent), m_view(view), m_alerts(alerts), m_client(std::move(client))
{
    connect(view, &SignInView::cancelRequested, this, &SignInFlow::cancelLogin);
}

void SignInFlow::showLogin()
{
    m_view->setHeading(QStringLiteral("Sign in to Telegram"));
    m_view->setInstructions(QStringLiteral(
        "On your phone, open Telegram and go to Settings → Devices → Link Desktop Device, then scan this QR code."));
    m_view->showQRImage({});
}

void SignInFlow::showQR(const std::optional<QString> &link)
{
    if (!link) {
        m_view->showQRImage({});
        return;
    }
    const QImage image = QrCodeImage::render(*link);
    if (image.isNull()) {
        m_view->showQRFailure();
        m_view->setStatus(QStringLiteral("Telegram supplied a QR code that could not be rendered."));
        return;
    }
    m_view->showQRImage(image);
}

void SignInFlow::setStatus(const QString &text)
{
    m_view->setStatus(text);
}

void SignInFlow::requestPassword()
{
    if (m_passwordPromptIsOpen)
        return;
    m_passwordPromptIsOpen = true;
    AlertRequest request;
    request.message = QStringLiteral("Telegram Two-Step Verification");
    request.informativeText = QStringLiteral("Enter your Telegram password to finish signing in.");
    request.buttons = {QStringLiteral("Continue"), QStringLiteral("Cancel")};
    request.cancelIndex = 1;
    request.accessory = AlertRequest::Accessory::SecureField;
    request.accessorySize = QSize(260, 24);
    m_alerts.present(request, guarded(this, [this](const AlertAnswer &answer) {
                         m_passwordPromptIsOpen = false;
                         TelegramClient *client = m_client();
                         if (!client)
                             return;
                         if (answer.buttonIndex == 0)
                             client->checkPassword(answer.text);
                         else
                             client->closeForTermination();
                     }));
}

void SignInFlow::cancelLogin()
{
    // Only the session closes; a fresh one follows from its closed callback.
    if (TelegramClient *client = m_client())
        client->closeForTermination();
}

void SignInFlow::logOut()
{
    AlertRequest request;
    request.message = QStringLiteral("Log Out of Telegram?");
    request.informativeText =
        QStringLiteral("This revokes the Telegram session for this app and removes its local encrypted session data.");
    request.buttons = {QStringLiteral("Log Out"), QStringLiteral("Cancel")};
    request.style = AlertRequest::Style::Warning;
    request.destructiveIndex = 0;
    request.cancelIndex = 1;
    m_alerts.present(request, guarded(this, [this](const AlertAnswer &answer) {
                         TelegramClient *client = m_client();
                         if (answer.buttonIndex == 0 && client)
                             client->logOut();
                     }));
}

#include "moc_SignInFlow.cpp"
