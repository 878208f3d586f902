#pragma once

#include "app/AppEnvironment.h"
#include "platform/SecretStore.h"
#include "settings/SettingsStore.h"

#include <QTemporaryDir>
#include <memory>

// Builds the environment the controller runs in: the user's own stores and
// real TDLib, or, for the demo, throw-away storage, in-memory secrets and the
// built-in Telegram simulator, so the demo never touches a real session.
class AppEnvironmentSetup
{
public:
    static std::unique_ptr<AppEnvironmentSetup> product();
    // Null with error set when the simulator cannot be found.
    static std::unique_ptr<AppEnvironmentSetup> demo(QString *error);

    AppEnvironment environment() const;
    static QString simulatorPath();
    // Sends a scripting command to the loaded simulator (no-op outside the demo).
    static bool configureSimulator(const QByteArray &json);

private:
    AppEnvironmentSetup() = default;
    std::unique_ptr<QTemporaryDir> m_tempDir;
    std::unique_ptr<SettingsStore> m_settings;
    std::unique_ptr<SecretStore> m_secrets;
    TelegramClient::Options m_clientOptions;
    QString m_diagramCacheFolder;
};
