#include "app/AppEnvironmentSetup.h"

#include "platform/AppPaths.h"
#include "platform/KeychainSecretStore.h"
#include "settings/SettingsStore.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>

std::unique_ptr<AppEnvironmentSetup> AppEnvironmentSetup::product()
{
    std::unique_ptr<AppEnvironmentSetup> setup(new AppEnvironmentSetup);
    setup->m_settings = SettingsStore::openUserStore();
    setup->m_secrets = std::make_unique<KeychainSecretStore>();
    setup->m_clientOptions.credentials = TelegramCredentials::fromFile(TelegramCredentials::defaultInfoPath());
    setup->m_diagramCacheFolder = AppPaths::diagramCacheFolder();
    return setup;
}

QString AppEnvironmentSetup::simulatorPath()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/libtdjson-sim.so");
}

bool AppEnvironmentSetup::configureSimulator(const QByteArray &json)
{
    using Configure = void (*)(const char *);
    // The same file as the client loads, so the same loaded instance.
    QLibrary library(simulatorPath());
    if (!library.load())
        return false;
    auto configure = reinterpret_cast<Configure>(library.resolve("tdsim_configure"));
    if (!configure)
        return false;
    configure(json.constData());
    return true;
}

std::unique_ptr<AppEnvironmentSetup> AppEnvironmentSetup::demo(QString *error)
{
    if (!QFileInfo::exists(simulatorPath())) {
        if (error)
            *error = QStringLiteral("The Telegram simulator was not found at %1.").arg(simulatorPath());
        return nullptr;
    }
    std::unique_ptr<AppEnvironmentSetup> setup(new AppEnvironmentSetup);
    setup->m_tempDir = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/tessaly-demo-XXXXXX"));
    if (!setup->m_tempDir->isValid()) {
        if (error)
            *error = QStringLiteral("Could not create the demo's temporary folder.");
        return nullptr;
    }
    const QString root = setup->m_tempDir->path();
    setup->m_settings = std::make_unique<SettingsStore>(root + QStringLiteral("/settings.json"));
    // A newcomer sees a conversation at once: the simulator's showcase bot is selected when it signs in.
    setup->m_settings->setString(QStringLiteral("selectedBotChatID"), QStringLiteral("5000000101"));
    setup->m_secrets = std::make_unique<InMemorySecretStore>();
    setup->m_clientOptions.baseDirectory = root + QStringLiteral("/QuaylineView");
    setup->m_clientOptions.libraryCandidates = {simulatorPath()};
    setup->m_clientOptions.credentials.apiID = 94575;
    setup->m_clientOptions.credentials.apiHash = QStringLiteral("demo");
    setup->m_diagramCacheFolder = root + QStringLiteral("/diagrams");
    return setup;
}

AppEnvironment AppEnvironmentSetup::environment() const
{
    AppEnvironment environment;
    environment.settings = m_settings.get();
    environment.secrets = m_secrets.get();
    environment.clientOptions = m_clientOptions;
    environment.diagrams.cacheFolder = m_diagramCacheFolder;
    return environment;
}
