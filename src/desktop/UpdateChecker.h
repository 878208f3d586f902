#pragma once

#include <QJsonObject>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <chrono>
#include <functional>
#include <vector>

class QNetworkAccessManager;
class QNetworkReply;

struct UpdateCheckResult
{
    enum class Outcome { UpToDate, UpdateAvailable, NotConfigured, Failed };

    Outcome outcome = Outcome::Failed;
    // This copy's version as the user knows it.
    QString currentVersion;
    // The newest version the feed lists (shown form), when it was read.
    QString latestVersion;
    // Where the newer version can be had (http or https only).
    QUrl downloadPage;
    // Why the check failed, as a sentence for the user.
    QString failure;
};

// Reads the appcast on request and compares its newest version with this copy's.
// Nothing is contacted before the first check.
class UpdateChecker : public QObject
{
    Q_OBJECT
public:
    struct Options
    {
        // Empty: updates are not configured.
        QUrl feedUrl;
        // Compared with the feed's `sparkle:version`.
        QString currentVersion;
        // Shown to the user; the version itself when empty.
        QString currentDisplayVersion;
        std::chrono::milliseconds timeLimit{15000};
    };
    using Completion = std::function<void(const UpdateCheckResult &)>;

    // The feed address (`SUFeedURL`) and the versions (`CFBundleVersion`,
    // `CFBundleShortVersionString`) of the bundle information file.
    static Options optionsFromInfo(const QJsonObject &info);
    // A missing or damaged file gives options without a feed.
    static Options optionsFromFile(const QString &path);

    explicit UpdateChecker(Options options, QObject *parent = nullptr);
    ~UpdateChecker() override;

    bool isChecking() const { return !m_waiting.empty(); }
    // Completes exactly once, on the main thread, never before returning. A call
    // while a check runs joins it: every caller gets the one result.
    void check(Completion completion);

private:
    void start();
    void onReplyFinished();
    UpdateCheckResult resultFor(const QByteArray &feed) const;
    UpdateCheckResult failed(const QString &reason) const;
    void finish(const UpdateCheckResult &result);

    Options m_options;
    QNetworkAccessManager *m_network = nullptr;
    QPointer<QNetworkReply> m_reply;
    QTimer m_limit;
    bool m_timedOut = false;
    bool m_tooLarge = false;
    std::vector<Completion> m_waiting;
};
