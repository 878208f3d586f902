// Every preference key with its type, default and reading rule.
#include "agent/MacAccessLevel.h"
#include "agent/PeekabooSettings.h"
#include "settings/AppTheme.h"
#include "settings/SettingsStore.h"
#include "settings/SpeechPreferences.h"
#include "support/FileSizeLimit.h"
#include "support/TestMain.h"
#include "ui/SettingsState.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

class TestSettingsStore : public QObject
{
    Q_OBJECT
private slots:
    void anEmptyStoreReadsEveryDefault()
    {
        QTemporaryDir dir;
        SettingsStore store(dir.filePath("settings.json"));
        QCOMPARE(AppTheme::current(store), AppTheme(AppTheme::violet));
        QCOMPARE(store.plainBool("lightAppearance"), false);
        QCOMPARE(store.defaultTrueBool("hoverShrinkEnabled"), true);
        QCOMPARE(store.defaultTrueBool("followActiveSpaceEnabled"), true);
        QCOMPARE(MacAccessLevels::stored(store), MacAccessLevel::off);
        PeekabooSettings agent(store);
        QCOMPARE(agent.selectedProvider(), PeekabooProvider::openai);
        QVERIFY(!agent.model(PeekabooProvider::openai).has_value());
        QCOMPARE(agent.showAgentPointer(), false);
        QCOMPARE(SpeechPreferences::autoReadNewMessages(store), false);
        QCOMPARE(SpeechPreferences::pauseOtherAudioWhileReading(store), true);
        QVERIFY(!SpeechPreferences::selectedVoiceIdentifier(store).has_value());
        QVERIFY(!store.string("primaryWindowOrigin").has_value());
        QVERIFY(!store.string("selectedBotChatID").has_value());
    }

    void valuesOfTheWrongTypeFallBack()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("settings.json");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(R"({"hoverShrinkEnabled":"false","followActiveSpaceEnabled":false,"lightAppearance":"yes",
                    "appTheme":"Violet","peekabooProvider":"Anthropic","selectedBotChatID":42,
                    "pauseOtherAudioWhileReading":0,"readAloudVoiceIdentifier":""})");
        f.close();
        SettingsStore store(path);
        // A Boolean stored as a string is not a Boolean: the default-true read says true.
        QCOMPARE(store.defaultTrueBool("hoverShrinkEnabled"), true);
        QCOMPARE(store.defaultTrueBool("followActiveSpaceEnabled"), false);
        QCOMPARE(store.defaultTrueBool("pauseOtherAudioWhileReading"), true);
        QCOMPARE(store.plainBool("lightAppearance"), true);
        QCOMPARE(AppTheme::current(store), AppTheme(AppTheme::violet));
        QCOMPARE(PeekabooSettings(store).selectedProvider(), PeekabooProvider::openai);
        QVERIFY(!store.string("selectedBotChatID").has_value());
        QVERIFY(!SpeechPreferences::selectedVoiceIdentifier(store).has_value());
    }

    void typesSurviveARestart()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("settings.json");
        {
            SettingsStore store(path);
            store.setBool("hoverShrinkEnabled", false);
            store.setString("followActiveSpaceEnabled", "false");
            store.setString("selectedBotChatID", "5000000101");
        }
        SettingsStore reopened(path);
        QCOMPARE(reopened.value("hoverShrinkEnabled").typeId(), int(QMetaType::Bool));
        QCOMPARE(reopened.defaultTrueBool("hoverShrinkEnabled"), false);
        QCOMPARE(reopened.defaultTrueBool("followActiveSpaceEnabled"), true);
        QCOMPARE(reopened.string("selectedBotChatID").value(), QString("5000000101"));
    }

    void aDamagedFileReadsAsEmptyAndIsKeptAside()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("settings.json");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("{ \"appTheme\": \"forest\", not json");
        f.close();
        SettingsStore store(path);
        QCOMPARE(store.defaultTrueBool("hoverShrinkEnabled"), true);
        store.setString("appTheme", "ocean");
        QCOMPARE(SettingsStore(path).string("appTheme").value(), QString("ocean"));
        // What was there is kept, byte for byte, beside the new file.
        const QStringList aside = QDir(dir.path()).entryList({"settings.json.corrupt-*"});
        QCOMPARE(aside.size(), 1);
        QFile kept(dir.filePath(aside.first()));
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("{ \"appTheme\": \"forest\", not json"));
    }

    void aWriteTheDiskCutsShortKeepsTheFileWhole()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("settings.json");
        {
            SettingsStore store(path);
            store.setString("selectedBotChatID", "5000000101");
            store.setBool("hoverShrinkEnabled", false);
            store.sync();
            const qint64 size = QFileInfo(path).size();
            // Larger than Qt's write buffer, so that it goes to the disk in one write.
            FileSizeLimit limit{rlim_t(size + 4096)};
            if (!limit.isActive())
                QSKIP("the file-size limit cannot be set here");
            store.setString("appTheme", QString(20000, 'x'));
            store.sync();
        }
        SettingsStore reopened(path);
        QCOMPARE(reopened.string("selectedBotChatID").value_or(QString()), QStringLiteral("5000000101"));
        QCOMPARE(reopened.defaultTrueBool("hoverShrinkEnabled"), false);
        QVERIFY(QDir(dir.path()).entryList({"settings.json.corrupt-*"}).isEmpty());
    }

    void legacyMacControlSwitch_data()
    {
        QTest::addColumn<QVariant>("legacy");
        QTest::addColumn<QString>("level");
        QTest::addColumn<int>("expected");
        QTest::newRow("legacy on, no level") << QVariant(true) << QString() << int(MacAccessLevel::full);
        QTest::newRow("legacy off") << QVariant(false) << QString() << int(MacAccessLevel::off);
        QTest::newRow("level wins over legacy")
            << QVariant(true) << QString("readOnly") << int(MacAccessLevel::readOnly);
        QTest::newRow("unknown level falls back")
            << QVariant(true) << QString("Full") << int(MacAccessLevel::full);
        QTest::newRow("nothing stored") << QVariant() << QString() << int(MacAccessLevel::off);
    }
    void legacyMacControlSwitch()
    {
        QFETCH(QVariant, legacy);
        QFETCH(QString, level);
        QFETCH(int, expected);
        QTemporaryDir dir;
        SettingsStore store(dir.filePath("settings.json"));
        if (legacy.isValid())
            store.setBool("macControlEnabled", legacy.toBool());
        if (!level.isEmpty())
            store.setString("macAccessLevel", level);
        QCOMPARE(int(MacAccessLevels::stored(store)), expected);
    }

    void emptyValuesRemoveOnlyTheirKey()
    {
        QTemporaryDir dir;
        SettingsStore store(dir.filePath("settings.json"));
        PeekabooSettings agent(store);
        agent.setModel(QString("claude-sonnet-4"), PeekabooProvider::anthropic);
        agent.setModel(QString("gpt-5"), PeekabooProvider::openai);
        agent.setModel(QString(""), PeekabooProvider::anthropic);
        QVERIFY(!store.contains("peekabooModel.anthropic"));
        QVERIFY(store.contains("peekabooModel.openai"));
        SpeechPreferences::setSelectedVoiceIdentifier(store, QString("flite/kal/en"));
        QCOMPARE(SpeechPreferences::selectedVoiceIdentifier(store).value(), QString("flite/kal/en"));
        SpeechPreferences::setSelectedVoiceIdentifier(store, QString());
        QVERIFY(!store.contains("readAloudVoiceIdentifier"));
    }

    void snapshotFindsTheSelectedBotById()
    {
        const QList<BotConversation> bots{{"1", "alpha", 0}, {"2", "Beta", 3}, {"3", "gamma", 0}};
        QCOMPARE(SettingsState::bots(bots, QString("2")),
                 std::make_pair(QStringList{"alpha", "Beta", "gamma"}, 1));
        QCOMPARE(SettingsState::bots(bots, QString("9")).second, -1);
        QCOMPARE(SettingsState::bots(bots, std::nullopt).second, -1);
    }
};

TESSALY_TEST_GUILESS_MAIN(TestSettingsStore)
#include "test_settings_store.moc"
