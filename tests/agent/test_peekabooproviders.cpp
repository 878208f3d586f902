#include "agent/PeekabooKeychain.h"
#include "agent/PeekabooSettings.h"
#include "agent/PeekabooTool.h"
#include "platform/SecretStore.h"
#include "settings/SettingsStore.h"
#include "support/TestMain.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(PeekabooProvider)

class TestPeekabooProviders : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    void touchExecutable(const QString &path, bool executable = true)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\n");
        file.close();
        file.setPermissions(executable ? QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                       : QFile::ReadOwner | QFile::WriteOwner);
    }

private slots:
    void normalisesModels_data()
    {
        QTest::addColumn<PeekabooProvider>("provider");
        QTest::addColumn<QString>("model");
        QTest::addColumn<std::optional<QString>>("expected");
        QTest::newRow("open webui bare")
            << PeekabooProvider::openwebui << "llama3" << std::optional<QString>("openwebui/llama3");
        QTest::newRow("open webui prefixed") << PeekabooProvider::openwebui << "openwebui/llama3"
                                             << std::optional<QString>("openwebui/llama3");
        QTest::newRow("other prefix kept")
            << PeekabooProvider::openwebui << "ollama/llama3" << std::optional<QString>("ollama/llama3");
        QTest::newRow("deepseek bare, trimmed") << PeekabooProvider::deepseek << "  deepseek-chat\n"
                                                << std::optional<QString>("deepseek/deepseek-chat");
        QTest::newRow("other providers as typed")
            << PeekabooProvider::anthropic << " claude-x " << std::optional<QString>("claude-x");
        QTest::newRow("blank") << PeekabooProvider::deepseek << " \n" << std::optional<QString>();
    }
    void normalisesModels()
    {
        QFETCH(PeekabooProvider, provider);
        QFETCH(QString, model);
        QFETCH(std::optional<QString>, expected);
        QCOMPARE(PeekabooProviders::normalizedModel(model, provider), expected);
    }

    void keysLiveUnderTheServiceAndAccount()
    {
        InMemorySecretStore store;
        PeekabooKeychain keychain(store);
        QCOMPARE(keychain.key(PeekabooProvider::anthropic), std::nullopt);
        QVERIFY(keychain.save("first", PeekabooProvider::anthropic));
        QVERIFY(keychain.save("second", PeekabooProvider::anthropic));
        QCOMPARE(store.read("com.hollowmere.quayline.peekaboo", "anthropic").data, QByteArray("second"));
        QCOMPARE(store.itemCount(), 1);
        QCOMPARE(keychain.key(PeekabooProvider::anthropic), std::optional<QString>("second"));

        // An empty key is stored but reads as absent.
        QVERIFY(keychain.save("", PeekabooProvider::groq));
        QCOMPARE(store.itemCount(), 2);
        QCOMPARE(keychain.key(PeekabooProvider::groq), std::nullopt);

        store.write(PeekabooKeychain::service, "mistral", QByteArray("\xff\xfe"));
        QCOMPARE(keychain.key(PeekabooProvider::mistral), std::nullopt);

        QVERIFY(!keychain.save("never", PeekabooProvider::openaiSubscription));
        keychain.remove(PeekabooProvider::anthropic);
        keychain.remove(PeekabooProvider::anthropic);
        QCOMPARE(keychain.key(PeekabooProvider::anthropic), std::nullopt);

        store.setFailure(SecretResult::Unavailable);
        QCOMPARE(keychain.key(PeekabooProvider::mistral), std::nullopt);
        QVERIFY(!keychain.save("x", PeekabooProvider::mistral));
    }

    void providerAndModelSettings()
    {
        SettingsStore store(m_dir.filePath("settings.json"));
        PeekabooSettings settings(store);
        QCOMPARE(settings.selectedProvider(), PeekabooProvider::openai);
        store.setString("peekabooProvider", "Anthropic");
        QCOMPARE(settings.selectedProvider(), PeekabooProvider::openai);
        store.setString("peekabooProvider", "openwebui");
        QCOMPARE(settings.selectedProvider(), PeekabooProvider::openwebui);

        settings.setModel(QString("qwen3.5:9b"), PeekabooProvider::openwebui);
        settings.setModel(QString("claude"), PeekabooProvider::anthropic);
        QCOMPARE(store.string("peekabooModel.openwebui"), std::optional<QString>("openwebui/qwen3.5:9b"));
        settings.setModel(QString(""), PeekabooProvider::openwebui);
        QVERIFY(!store.contains("peekabooModel.openwebui"));
        QCOMPARE(settings.model(PeekabooProvider::anthropic), std::optional<QString>("claude"));
        settings.setModel(QString("  "), PeekabooProvider::anthropic);
        QCOMPARE(settings.model(PeekabooProvider::anthropic), std::nullopt);
    }

    void locatesTheToolInOrder()
    {
        const QString root = m_dir.filePath("lookup");
        PeekabooToolLocations locations;
        locations.executables = {root + "/brew/peekaboo", root + "/local/peekaboo"};
        locations.npxCacheFolder = root + "/home/.npm/_npx";
        locations.npxExecutables = {root + "/brew/npx", root + "/usr/npx"};
        QCOMPARE(PeekabooTool::locate(locations), std::nullopt);

        touchExecutable(root + "/usr/npx");
        QCOMPARE(PeekabooTool::locate(locations),
                 std::optional(PeekabooCommand{root + "/usr/npx", {"-y", "@fennick/peekaboo"}}));

        const QString cached = "/node_modules/@fennick/peekaboo/peekaboo";
        touchExecutable(locations.npxCacheFolder + "/b2" + cached);
        touchExecutable(locations.npxCacheFolder + "/a1" + cached, false);
        QDir().mkpath(locations.npxCacheFolder + "/a0" + cached); // a folder, not a program
        QCOMPARE(PeekabooTool::locate(locations),
                 std::optional(PeekabooCommand{locations.npxCacheFolder + "/b2" + cached, {}}));

        touchExecutable(root + "/local/peekaboo");
        QCOMPARE(PeekabooTool::locate(locations),
                 std::optional(PeekabooCommand{root + "/local/peekaboo", {}}));

        const auto standard = PeekabooToolLocations::standard("/home/u");
        QCOMPARE(standard.npxCacheFolder, QStringLiteral("/home/u/.npm/_npx"));
        QCOMPARE(standard.executables.first(), QStringLiteral("/opt/homebrew/bin/peekaboo"));
    }

    void registrationNamesTheVariableNotTheKey()
    {
        const auto custom = PeekabooProviders::customProvider(PeekabooProvider::deepseek);
        QVERIFY(custom);
        QCOMPARE(PeekabooTool::registrationArguments(*custom, "DEEPSEEK_API_KEY"),
                 QStringList({"config", "provider", "add", "deepseek", "--type", "openai", "--name",
                              "DeepSeek", "--base-url", PeekabooProviders::deepSeekBaseURL,
                              "--credential-ref", "${DEEPSEEK_API_KEY}", "--no-input"}));
    }
};

TESSALY_TEST_GUILESS_MAIN(TestPeekabooProviders)
#include "test_peekabooproviders.moc"
