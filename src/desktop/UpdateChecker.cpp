#include "desktop/UpdateChecker.h"

#include "desktop/Appcast.h"

#include <QFile>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace {

// An appcast is a few kilobytes; anything far larger is not one and is not
// worth holding in memory.
constexpr qint64 kMaxFeedBytes = 2 * 1024 * 1024;

QString infoString(const QJsonObject &info, const char *key)
{
    return info.value(QLatin1String(key)).toString().trimmed();
}

} // namespace

UpdateChecker::Options UpdateChecker::optionsFromInfo(const QJsonObject &info)
{
    Options options;
    const QString feed = infoString(info, "SUFeedURL");
    if (!feed.isEmpty())
        options.feedUrl = QUrl(feed);
    options.currentDisplayVersion = infoString(info, "CFBundleShortVersionString");
    options.currentVersion = infoString(info, "CFBundleVersion");
    if (options.currentVersion.isEmpty())
        options.currentVersion = options.currentDisplayVersion;
    return options;
}

UpdateChecker::Options UpdateChecker::optionsFromFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return optionsFromInfo(QJsonDocument::fromJson(file.readAll()).object());
}

UpdateChecker::UpdateChecker(Options options, QObject *parent)
    : QObject(parent), m_options(std::move(options))
{
    if (m_options.currentDisplayVersion.isEmpty())
        m_options.currentDisplayVersion = m_options.currentVersion;
    m_limit.setSingleShot(true);
    connect(&m_limit, &QTimer::timeout, this, [this] {
        m_timedOut = true;
        if (m_reply)
            m_reply->abort();
    });
}

UpdateChecker::~UpdateChecker()
{
    // Abandoned: no completion runs for a check nobody waits for any more.
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
        delete m_reply;
    }
}

void UpdateChecker::check(Completion completion)
{
    m_waiting.push_back(std::move(completion));
    if (m_waiting.size() == 1)
        QTimer::singleShot(0, this, &UpdateChecker::start);
}

void UpdateChecker::start()
{
    if (m_options.feedUrl.isEmpty()) {
        UpdateCheckResult result;
        result.outcome = UpdateCheckResult::Outcome::NotConfigured;
        result.currentVersion = m_options.currentDisplayVersion;
        finish(result);
        return;
    }
    const QString scheme = m_options.feedUrl.scheme().toLower();
    if (!m_options.feedUrl.isValid() || (scheme != u"http" && scheme != u"https")) {
        finish(failed(QStringLiteral("The update feed address “%1” is not a web address.")
                          .arg(m_options.feedUrl.toDisplayString())));
        return;
    }
    if (!Appcast::isVersion(m_options.currentVersion)) {
        finish(failed(QStringLiteral("This copy of Tessaly does not know its own version.")));
        return;
    }

    if (!m_network)
        m_network = new QNetworkAccessManager(this);
    QNetworkRequest request(m_options.feedUrl);
    request.setHeader(QNetworkRequest::UserAgentHeader,
                      QStringLiteral("Tessaly/%1").arg(m_options.currentVersion));
    m_timedOut = false;
    m_tooLarge = false;
    m_reply = m_network->get(request);
    connect(m_reply, &QNetworkReply::downloadProgress, this, [this](qint64 received, qint64 total) {
        if ((received > kMaxFeedBytes || total > kMaxFeedBytes) && m_reply) {
            m_tooLarge = true;
            m_reply->abort();
        }
    });
    connect(m_reply, &QNetworkReply::finished, this, &UpdateChecker::onReplyFinished);
    m_limit.start(m_options.timeLimit);
}

void UpdateChecker::onReplyFinished()
{
    QNetworkReply *reply = m_reply;
    m_reply = nullptr;
    m_limit.stop();
    if (!reply)
        return;
    reply->deleteLater();

    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (m_timedOut) {
        const double seconds = double(m_options.timeLimit.count()) / 1000.0;
        finish(failed(QStringLiteral("The update server did not answer within %1 seconds.").arg(seconds)));
    } else if (m_tooLarge) {
        finish(failed(QStringLiteral("The update feed is larger than %1 MB, so it is not an appcast.")
                          .arg(kMaxFeedBytes / (1024 * 1024))));
    } else if (status >= 400) {
        finish(failed(QStringLiteral("The update server answered with HTTP status %1.").arg(status)));
    } else if (reply->error() != QNetworkReply::NoError) {
        finish(
            failed(QStringLiteral("The update server could not be reached: %1.").arg(reply->errorString())));
    } else {
        finish(resultFor(reply->readAll()));
    }
}

UpdateCheckResult UpdateChecker::resultFor(const QByteArray &feed) const
{
    QString error;
    const std::optional<Appcast::Item> newest = Appcast::newestItem(feed, m_options.feedUrl, &error);
    if (!newest)
        return failed(QStringLiteral("The update feed could not be read: %1.").arg(error));

    UpdateCheckResult result;
    result.currentVersion = m_options.currentDisplayVersion;
    result.latestVersion = newest->displayVersion;
    if (Appcast::compareVersions(newest->version, m_options.currentVersion) <= 0) {
        result.outcome = UpdateCheckResult::Outcome::UpToDate;
        return result;
    }
    if (newest->downloadPage.isEmpty())
        return failed(QStringLiteral("The update feed does not say where to get Tessaly %1.")
                          .arg(newest->displayVersion));
    result.outcome = UpdateCheckResult::Outcome::UpdateAvailable;
    result.downloadPage = newest->downloadPage;
    return result;
}

UpdateCheckResult UpdateChecker::failed(const QString &reason) const
{
    UpdateCheckResult result;
    result.outcome = UpdateCheckResult::Outcome::Failed;
    result.currentVersion = m_options.currentDisplayVersion;
    result.failure = reason;
    return result;
}

void UpdateChecker::finish(const UpdateCheckResult &result)
{
    // Callers may start the next check from their completion.
    std::vector<Completion> waiting;
    waiting.swap(m_waiting);
    for (const Completion &completion : waiting) {
        if (completion)
            completion(result);
    }
}

#include "moc_UpdateChecker.cpp"
