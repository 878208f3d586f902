#pragma once

#include "agent/OpenAISignIn.h"
#include "agent/PeekabooSettings.h"

#include <QObject>
#include <QPointer>
#include <chrono>
#include <functional>
#include <optional>

// The ChatGPT account behind the "OpenAI (ChatGPT sign-in)" provider: at most
// one sign-in attempt at a time, and the account status line. A successful
// sign-in sets chatGPTSubscriptionSignedIn. Completions arrive on the main
// thread, never before the call returns. Main thread only.
//
// The settings window uses:
//   startSignIn(done)          "Sign in with ChatGPT…"; done(success, message)
//   submit(address)            "Paste link…" → "Sign In"; false: show noLongerWaitingText()
//   cancelSignIn()             "Cancel"; the attempt's done gets "ChatGPT sign-in cancelled."
//   isSigningIn()              whether to keep the sign-in button disabled
//   chatGPTAccountStatus(done) "Signed in"-style text, or none for "Not signed in"
class ChatGPTAccount : public QObject
{
    Q_OBJECT
public:
    using Completion = OpenAISignIn::Completion;
    using StatusCompletion = std::function<void(const std::optional<QString> &)>;
    using Locator = std::function<std::optional<PeekabooCommand>()>;

    ChatGPTAccount(PeekabooSettings &settings, Locator locate, OpenAISignIn::Options signInOptions,
                   std::chrono::milliseconds statusTimeLimit, QObject *parent = nullptr);
    ~ChatGPTAccount() override;

    void startSignIn(Completion completion);
    // The waiting attempt, or null.
    OpenAISignIn *activeSignIn() const { return m_activeSignIn; }
    // The waiting attempt's tool is running.
    bool isSigningIn() const;
    // Hands a pasted address to the waiting attempt; false when none waits.
    bool submit(const QString &address);
    void cancelSignIn();

    void chatGPTAccountStatus(StatusCompletion completion);

    static QString noLongerWaitingText()
    {
        return QStringLiteral("The sign-in is no longer waiting. Start it again.");
    }
    // The paste dialog's example address.
    static QString pastePlaceholder() { return QStringLiteral("http://localhost:1455/auth/callback?code=…"); }

    // Reads the tool's status output; sets the stored flag when it shows a
    // sign-in.
    std::optional<QString> statusFromOutput(const QByteArray &standardOutput);

private:
    void refuse(Completion completion, const QString &message);

    PeekabooSettings &m_settings;
    Locator m_locate;
    OpenAISignIn::Options m_signInOptions;
    std::chrono::milliseconds m_statusTimeLimit;
    QPointer<OpenAISignIn> m_activeSignIn;
};
