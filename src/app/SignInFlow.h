#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <optional>

class Alerts;
class SignInView;
class TelegramClient;

// The sign-in face's side of the session: the QR code, the two-step password
// sheet, "Cancel Sign In", the log-out sheet and whether the account is signed in.
class SignInFlow : public QObject
{
    Q_OBJECT
public:
    SignInFlow(SignInView *view, Alerts &alerts, std::function<TelegramClient *()> client,
               QObject *parent = nullptr);

    bool telegramAuthorized() const { return m_telegramAuthorized; }
    void setAuthorized(bool authorized) { m_telegramAuthorized = authorized; }
    bool passwordPromptIsOpen() const { return m_passwordPromptIsOpen; }

    // The face's texts and the loading stack; the status keeps its last text.
    void showLogin();
    void showQR(const std::optional<QString> &link);
    void setStatus(const QString &text);
    void requestPassword();
    void cancelLogin();
    // Asks first; signing out follows from the client's callbacks.
    void logOut();

private:
    QPointer<SignInView> m_view;
    Alerts &m_alerts;
    std::function<TelegramClient *()> m_client;
    bool m_telegramAuthorized = false;
    bool m_passwordPromptIsOpen = false;
};
