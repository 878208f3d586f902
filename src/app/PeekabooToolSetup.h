#pragma once

#include "ui/SettingsHooks.h"

#include <QPointer>
#include <functional>

class PeekabooBridge;
class PeekabooLogWindow;

// The settings window's view of the Peekaboo tool from what is known without
// running it: whether it was found and how it is reached. Checking the
// permissions, downloading through npx and the ChatGPT sign-in need the tool's
// own answers and report that they are not available here.
class PeekabooToolSetup : public AgentSetup
{
public:
    static inline const QString installGuideAddress =
        QStringLiteral("https://www.npmjs.com/package/@fennick/peekaboo");

    explicit PeekabooToolSetup(std::function<PeekabooBridge *()> bridge);
    ~PeekabooToolSetup() override;

    void checkStatus(std::function<void(const PeekabooStatusLine &)> done) override;
    void requestPermissions(Done done) override;
    void prefetch(Done done) override;
    QUrl installGuide() const override { return QUrl(installGuideAddress); }
    void openLog() override;

    bool toolFound() const override;
    bool signInWaiting() const override { return false; }
    bool chatGPTSignedIn() const override;
    void startSignIn(std::function<void(bool succeeded, const QString &message)> done) override;
    bool pasteSignInLink(const QString &) override { return false; }
    void cancelSignIn() override {}

private:
    std::function<PeekabooBridge *()> m_bridge;
    QPointer<PeekabooLogWindow> m_logWindow;
};
