#include "agent/ChatGPTAccount.h"

#include "core/MainThread.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

ChatGPTAccount::ChatGPTAccount(PeekabooSettings &settings, Locator locate,
                               OpenAISignIn::Options signInOptions, std::chrono::milliseconds statusTimeLimit,
                               QObject *parent)
    : QObject(parent), m_settings(settings), m_locate(std::move(locate)),
      m_signInOptions(std::move(signInOptions)), m_statusTimeLimit(statusTimeLimit)
{
}

// An attempt still waiting is a child and stops its tool as it goes.
ChatGPTAccount::~ChatGPTAccount() = default;

void ChatGPTAccount::refuse(Completion completion, const QString &message)
{
    MainThread::post([completion = std::move(completion), message] {
        if (completion)
            completion(false, message);
    });
}

void ChatGPTAccount::startSignIn(Completion completion)
{
    if (m_settings.selectedProvider() != PeekabooProvider::openaiSubscription) {
        refuse(std::move(completion),
               QStringLiteral("Choose OpenAI (ChatGPT sign-in) as the provider first."));
        return;
    }
    if (m_activeSignIn) {
        refuse(std::move(completion),
               QStringLiteral("A ChatGPT sign-in is already waiting for the browser."));
        return;
    }
    const auto command = m_locate ? m_locate() : std::nullopt;
    if (!command) {
        refuse(std::move(completion),
               QStringLiteral("Peekaboo is not installed, so ChatGPT sign-in is not available."));
        return;
    }
    QPointer<ChatGPTAccount> self(this);
    auto *signIn = new OpenAISignIn(
        m_signInOptions,
        [self, completion = std::move(completion)](bool success, const QString &message) {
            if (self) {
                if (self->m_activeSignIn)
                    self->m_activeSignIn->deleteLater();
                self->m_activeSignIn = nullptr;
                if (success)
                    self->m_settings.setChatGPTSubscriptionSignedIn(true);
            }
            if (completion)
                completion(success, message);
        },
        this);
    m_activeSignIn = signIn;
    signIn->start(*command);
}

bool ChatGPTAccount::isSigningIn() const
{
    return m_activeSignIn && m_activeSignIn->isRunning();
}

bool ChatGPTAccount::submit(const QString &address)
{
    if (!m_activeSignIn || m_activeSignIn->isFinished())
        return false;
    m_activeSignIn->submit(address);
    return true;
}

void ChatGPTAccount::cancelSignIn()
{
    if (m_activeSignIn)
        m_activeSignIn->cancel();
}

std::optional<QString> ChatGPTAccount::statusFromOutput(const QByteArray &standardOutput)
{
    const QJsonDocument document = QJsonDocument::fromJson(standardOutput.trimmed());
    if (!document.isObject())
        return std::nullopt;
    const QJsonArray providers = document.object()
                                     .value(QStringLiteral("data"))
                                     .toObject()
                                     .value(QStringLiteral("providers"))
                                     .toArray();
    for (const QJsonValue &entry : providers) {
        const QJsonObject provider = entry.toObject();
        if (provider.value(QStringLiteral("id")).toString() != QLatin1String("openai"))
            continue;
        const QString state = provider.value(QStringLiteral("state")).toString().toLower();
        const QString message = provider.value(QStringLiteral("message")).toString().trimmed();
        static const QStringList absentStates{QString(), QStringLiteral("missing"), QStringLiteral("absent"),
                                              QStringLiteral("not_configured")};
        if (absentStates.contains(state) || message.contains(QLatin1String("missing"), Qt::CaseInsensitive)) {
            if (m_settings.chatGPTSubscriptionSignedIn())
                return QStringLiteral("Signed in");
            return std::nullopt;
        }
        m_settings.setChatGPTSubscriptionSignedIn(true);
        return message.isEmpty() ? QStringLiteral("Signed in") : message;
    }
    return std::nullopt;
}

void ChatGPTAccount::chatGPTAccountStatus(StatusCompletion completion)
{
    const auto command = m_locate ? m_locate() : std::nullopt;
    if (!command) {
        MainThread::post([completion = std::move(completion)] {
            if (completion)
                completion(std::nullopt);
        });
        return;
    }
    QPointer<ChatGPTAccount> self(this);
    PeekabooTool::runAndCapture(
        command->path, command->prefixArguments + PeekabooTool::accountStatusArguments(), m_statusTimeLimit,
        {}, [self, completion = std::move(completion)](int, const QByteArray &output, const QByteArray &) {
            if (!completion)
                return;
            completion(self ? self->statusFromOutput(output) : std::nullopt);
        });
}

#include "moc_ChatGPTAccount.cpp"
