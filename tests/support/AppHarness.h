#pragma once

#include "app/AppDelegate.h"
#include "platform/SecretStore.h"
#include "settings/SettingsStore.h"
#include "support/ScriptedAlerts.h"
#include "telegram/TelegramClient.h"
#include "ui/BotFaceView.h"
#include "ui/SignInView.h"
#include "ui/TelegramWindow.h"

#include <QLibrary>
#include <QTemporaryDir>
#include <QTest>

// The simulator's showcase and media bots, by chat id.
inline const QString kShowcase = QStringLiteral("5000000101");
inline const QString kMediaBot = QStringLiteral("5000000102");

// The real controller and window against the Telegram simulator, with
// throw-away storage, in-memory secrets and scripted answers to questions.
struct AppHarness
{
    QTemporaryDir dir;
    std::unique_ptr<SettingsStore> settings;
    InMemorySecretStore secrets;
    ScriptedAlerts alerts;
    std::unique_ptr<AppDelegate> app;
    // The application may exit (set once the controller confirms its termination).
    bool terminationConfirmed = false;
    // Adjusts the environment of the controllers created from then on (fakes, shorter intervals).
    static inline std::function<void(AppEnvironment &)> environmentHook;

    static QString simulatorPath() { return qEnvironmentVariable("TESSALY_BIN_DIR") + "/libtdjson-sim.so"; }

    // Scripting commands and settings for the simulator (process-wide).
    static void configure(const QByteArray &json)
    {
        QLibrary library(simulatorPath());
        QVERIFY2(library.load(), qPrintable(library.errorString()));
        auto fn = reinterpret_cast<void (*)(const char *)>(library.resolve("tdsim_configure"));
        QVERIFY(fn);
        fn(json.constData());
    }

    explicit AppHarness(const QByteArray &simulatorSettings = R"({"scan_delay_ms":"never"})",
                        const QStringList &library = {},
                        const std::function<void(SettingsStore &)> &prepare = {})
    {
        configure(R"({"command":"reset"})");
        configure(simulatorSettings);
        settings = std::make_unique<SettingsStore>(dir.filePath("settings.json"));
        if (prepare)
            prepare(*settings);
        create(library);
    }

    void create(const QStringList &library = {})
    {
        AppEnvironment env;
        env.settings = settings.get();
        env.secrets = &secrets;
        env.alerts = &alerts;
        env.clientOptions.baseDirectory = dir.filePath("QuaylineView");
        env.clientOptions.libraryCandidates = library.isEmpty() ? QStringList{simulatorPath()} : library;
        env.clientOptions.credentials.apiID = 94575;
        env.clientOptions.credentials.apiHash = "test";
        // Tests never pause the players of the machine they run on.
        env.mediaPlayers = [] { return std::unique_ptr<MediaPlayers>(); };
        if (environmentHook)
            environmentHook(env);
        app = std::make_unique<AppDelegate>(env);
        terminationConfirmed = false;
        QObject::connect(app.get(), &AppDelegate::terminationConfirmed, [this] { terminationConfirmed = true; });
        app->applicationDidFinishLaunching();
    }

    // Quits the way the application does, so the simulator's client is closed.
    void quit()
    {
        if (!app)
            return;
        app->requestTermination();
        QTRY_VERIFY_WITH_TIMEOUT(terminationConfirmed, 15000);
        app.reset();
    }

    ~AppHarness() { quit(); }
};
