#pragma once

#include "desktop/UpdateChecker.h"
#include "desktop/UpdateController.h"

#include <QObject>
#include <QUrl>
#include <functional>
#include <memory>
#include <optional>

class Alerts;
struct AlertRequest;

// "Check for Updates…" where there is no Sparkle: reads the appcast named in
// Info.json and tells the result in an alert, offering the download page in the
// browser when a newer version exists. One check and one answer at a time.
class UpdatePresenter : public QObject, public UpdateController
{
    Q_OBJECT
public:
    struct Options
    {
        // Null: read from Info.json beside the executable at the first check.
        std::optional<UpdateChecker::Options> checker;
        // Opens the download page; null: the desktop's browser.
        std::function<bool(const QUrl &)> openUrl;
    };

    explicit UpdatePresenter(Alerts &alerts, Options options = {}, QObject *parent = nullptr);
    ~UpdatePresenter() override;

    // Ignored while a check runs or its answer is still on screen.
    void checkForUpdates() override;
    bool isBusy() const { return m_busy; }

private:
    void present(const UpdateCheckResult &result);
    void tellBrowserFailed(const QUrl &page);

    Alerts &m_alerts;
    Options m_options;
    std::unique_ptr<UpdateChecker> m_checker;
    bool m_busy = false;
};
