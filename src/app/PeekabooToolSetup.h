#pragma once

#include "ui/SettingsHooks.h"

#include <QPointer>
#include <functional>

class PeekabooBridge;
class PeekabooLogWindow;

// The settings window's side of the agent tool: its status line, permission
// requests, the download through npx and the ChatGPT sign-in, all carried out
// by the bridge.
class PeekabooToolSetup : public AgentSetup
{
public:
    explicit PeekabooToolSetup(std::function<PeekabooBridge *()> bridge);
    ~PeekabooToolSetup() override;

    void checkStatus(std::function<void(const PeekabooStatusLine &)> done) override;
    void requestPermissions(Done done) override;
    void prefetch(Done done) override;
    QUrl installGuide() const override { return QUrl(PeekabooStatusLine::installGuideAddress()); }
    void openLog() override;

    bool toolFound() const override;
    bool signInWaiting() const override;
    bool chatGPTSignedIn() const override;
    void startSignIn(std::function<void(bool succeeded, const QString &message)> done) override;
    bool pasteSignInLink(const QString &address) override;
    void cancelSignIn() override;

private:
    std::function<PeekabooBridge *()> m_bridge;
    QPointer<PeekabooLogWindow> m_logWindow;
};
