#include "app/UpdatePresenter.h"

#include "core/Alerts.h"
#include "core/Guarded.h"
#include "telegram/TelegramCredentials.h"

#include <QDesktopServices>

namespace {

// Versions come from the feed: keep a hostile one from flooding the alert.
QString shown(const QString &version)
{
    constexpr qsizetype kLongest = 40;
    return version.size() > kLongest ? version.left(kLongest) + QStringLiteral("…") : version;
}

AlertRequest requestFor(const UpdateCheckResult &result)
{
    AlertRequest request;
    request.buttons = {QStringLiteral("OK")};
    switch (result.outcome) {
    case UpdateCheckResult::Outcome::UpToDate:
        request.message = QStringLiteral("You're up to date");
        request.informativeText =
            QStringLiteral("Tessaly %1 is the newest version available.").arg(shown(result.currentVersion));
        break;
    case UpdateCheckResult::Outcome::UpdateAvailable:
        request.message = QStringLiteral("A new version of Tessaly is available");
        request.informativeText =
            QStringLiteral("Tessaly %1 is available — you have %2. Open its download page in your browser?")
                .arg(shown(result.latestVersion), shown(result.currentVersion));
        request.buttons = {QStringLiteral("Open Download Page"), QStringLiteral("Not Now")};
        request.cancelIndex = 1;
        break;
    case UpdateCheckResult::Outcome::NotConfigured:
        request.message = QStringLiteral("Updates are not configured");
        request.informativeText = QStringLiteral("This copy of Tessaly has no update feed address (SUFeedURL "
                                                 "in Info.json), so it cannot check for updates.");
        break;
    case UpdateCheckResult::Outcome::Failed:
        request.message = QStringLiteral("Could not check for updates");
        request.informativeText = result.failure;
        request.style = AlertRequest::Style::Warning;
        break;
    }
    return request;
}

} // namespace

UpdatePresenter::UpdatePresenter(Alerts &alerts, Options options, QObject *parent)
    : QObject(parent), m_alerts(alerts), m_options(std::move(options))
{
    if (!m_options.openUrl)
        m_options.openUrl = [](const QUrl &url) { return QDesktopServices::openUrl(url); };
}

UpdatePresenter::~UpdatePresenter() = default;

void UpdatePresenter::checkForUpdates()
{
    if (m_busy)
        return;
    m_busy = true;
    if (!m_checker) {
        // Info.json is read only now: until the user asks, nothing about updates happens.
        m_checker = std::make_unique<UpdateChecker>(
            m_options.checker ? *m_options.checker
                              : UpdateChecker::optionsFromFile(TelegramCredentials::defaultInfoPath()));
    }
    m_checker->check(guarded(this, &UpdatePresenter::present));
}

void UpdatePresenter::present(const UpdateCheckResult &result)
{
    const AlertRequest request = requestFor(result);
    const bool offersDownload = result.outcome == UpdateCheckResult::Outcome::UpdateAvailable;
    m_alerts.present(
        request, guarded(this, [this, offersDownload, page = result.downloadPage](const AlertAnswer &answer) {
            m_busy = false;
            // Only the explicit button opens the browser; a dismissal answers "Not Now".
            if (offersDownload && answer.buttonIndex == 0 && !m_options.openUrl(page))
                tellBrowserFailed(page);
        }));
}

void UpdatePresenter::tellBrowserFailed(const QUrl &page)
{
    AlertRequest request;
    request.message = QStringLiteral("Could not open the browser");
    request.informativeText =
        QStringLiteral("No browser could be started. The download page is %1").arg(page.toDisplayString());
    request.buttons = {QStringLiteral("OK")};
    m_alerts.present(request, {});
}

#include "moc_UpdatePresenter.cpp"
