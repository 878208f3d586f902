#include "agent/MacAccess.h"
#include "agent/MacAccessPolicy.h"
#include "settings/SettingsStore.h"
#include "support/TestMain.h"

#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

class TestMacAccess : public QObject
{
    Q_OBJECT

    static MacRequest agentTask(const QString &task)
    {
        return {MacRequest::Action::peekaboo(task), QDateTime::currentDateTime(), QStringLiteral("now")};
    }

private slots:
    // Runs first, so that the pattern's first use happens on several threads at once.
    void patternIsSharedSafelyAcrossThreads()
    {
        QList<QThread *> threads;
        QAtomicInt wrong = 0;
        for (int t = 0; t < 6; ++t) {
            threads << QThread::create([&wrong] {
                for (int i = 0; i < 300; ++i) {
                    if (MacAccessPolicy::firstWriteVerb(QStringLiteral("please Drag it")) !=
                            QStringLiteral("drag") ||
                        MacAccessPolicy::firstWriteVerb(QStringLiteral("describe it")).has_value())
                        wrong.fetchAndAddRelaxed(1);
                }
            });
        }
        for (QThread *t : threads)
            t->start();
        for (QThread *t : threads) {
            t->wait();
            delete t;
        }
        QCOMPARE(wrong.loadRelaxed(), 0);
        QCOMPARE(&MacAccessPolicy::writePattern(), &MacAccessPolicy::writePattern());
    }

    void readOnlyRefusesActingVerbs_data()
    {
        QTest::addColumn<QString>("task");
        QTest::addColumn<QString>("verb"); // empty: the task may run
        QTest::newRow("right is a listed word") << "what is on the right side of the screen"
                                                << "right";
        QTest::newRow("double is a listed word") << "tell me about the double window"
                                                 << "double";
        QTest::newRow("screenshot and describe") << "take a screenshot and describe it"
                                                 << "";
        QTest::newRow("capitals quoted in lower case") << "OPEN SAFARI"
                                                       << "open";
        QTest::newRow("reopen is not open") << "reopen the report"
                                            << "";
        QTest::newRow("hyphen is a boundary") << "re-open the report"
                                              << "open";
        QTest::newRow("first verb wins") << "close the tab then open mail"
                                         << "close";
        QTest::newRow("verb inside a longer word") << "which typeface is that"
                                                   << "";
        QTest::newRow("letter with accent is part of the word") << QString::fromUtf8("éopen it") << "";
        QTest::newRow("verb at the very end") << "please run"
                                              << "run";
        QTest::newRow("empty task") << ""
                                    << "";
    }
    void readOnlyRefusesActingVerbs()
    {
        QFETCH(QString, task);
        QFETCH(QString, verb);
        const auto refusal = MacAccessPolicy::readOnlyRefusal(agentTask(task), MacAccessLevel::readOnly);
        if (verb.isEmpty()) {
            QVERIFY2(!refusal, qPrintable(refusal.value_or(QString())));
            return;
        }
        QVERIFY(refusal);
        QCOMPARE(*refusal,
                 QStringLiteral("Read-only access is on, so I won't run a task that could change this "
                                "Mac (\"%1\"). Switch Mac access to Full access in the app if you want "
                                "it to act.")
                     .arg(verb));
    }

    void systemActionsNeedFullAccessUnderReadOnly()
    {
        for (MacSystemAction action :
             {MacSystemAction::shutdown, MacSystemAction::restart, MacSystemAction::sleep,
              MacSystemAction::logOut, MacSystemAction::lock}) {
            const MacRequest request{MacRequest::Action::system(action), QDateTime::currentDateTime(), "now"};
            QCOMPARE(MacAccessPolicy::readOnlyRefusal(request, MacAccessLevel::readOnly),
                     std::optional<QString>("System actions need Full access. Mac access is read only."));
            QCOMPARE(MacAccessPolicy::readOnlyRefusal(request, MacAccessLevel::full), std::nullopt);
            QCOMPARE(MacAccessPolicy::readOnlyRefusal(request, MacAccessLevel::off), std::nullopt);
        }
        QCOMPARE(MacAccessPolicy::readOnlyRefusal(agentTask("delete everything"), MacAccessLevel::full),
                 std::nullopt);
        QCOMPARE(MacAccessPolicy::readOnlyRefusal(agentTask("delete everything"), MacAccessLevel::off),
                 std::nullopt);
    }

    void rawValuesAreExact()
    {
        QCOMPARE(MacAccessLevels::fromRawValue("readOnly"), std::optional(MacAccessLevel::readOnly));
        QCOMPARE(MacAccessLevels::fromRawValue("ReadOnly"), std::nullopt);
        QCOMPARE(MacAccessLevels::fromRawValue("Full"), std::nullopt);
        QCOMPARE(MacAccessLevels::fromRawValue(""), std::nullopt);
        for (MacAccessLevel level : MacAccessLevels::all)
            QCOMPARE(MacAccessLevels::fromRawValue(MacAccessLevels::rawValue(level)), std::optional(level));
    }

    void storedLevelFallsBackOnTheLegacySwitch_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QVariant>("legacy");
        QTest::addColumn<MacAccessLevel>("expected");
        QTest::newRow("empty store") << QVariant() << QVariant() << MacAccessLevel::off;
        QTest::newRow("valid level") << QVariant("readOnly") << QVariant(true) << MacAccessLevel::readOnly;
        QTest::newRow("wrong case, legacy on")
            << QVariant("ReadOnly") << QVariant(true) << MacAccessLevel::full;
        QTest::newRow("wrong case, legacy off")
            << QVariant("ReadOnly") << QVariant(false) << MacAccessLevel::off;
        QTest::newRow("legacy only") << QVariant() << QVariant(true) << MacAccessLevel::full;
        QTest::newRow("stored as a Boolean") << QVariant(true) << QVariant() << MacAccessLevel::off;
    }
    void storedLevelFallsBackOnTheLegacySwitch()
    {
        QFETCH(QVariant, stored);
        QFETCH(QVariant, legacy);
        QFETCH(MacAccessLevel, expected);
        QTemporaryDir dir;
        SettingsStore settings(dir.filePath("settings.json"));
        if (stored.typeId() == QMetaType::QString)
            settings.setString("macAccessLevel", stored.toString());
        else if (stored.isValid())
            settings.setBool("macAccessLevel", stored.toBool());
        if (legacy.isValid())
            settings.setBool("macControlEnabled", legacy.toBool());
        QCOMPARE(MacAccess(settings).macAccessLevel(), expected);
    }

    void settingTheActiveLevelChangesNothing()
    {
        QTemporaryDir dir;
        SettingsStore settings(dir.filePath("settings.json"));
        MacAccess access(settings);
        int changes = 0;
        access.onChanged = [&](MacAccessLevel) { ++changes; };

        QCOMPARE(access.setMacAccess(MacAccessLevel::off), std::nullopt);
        QCOMPARE(changes, 0);
        QVERIFY(!settings.contains("macAccessLevel"));

        QCOMPARE(access.setMacAccess(MacAccessLevel::readOnly),
                 std::optional<QString>("Mac access: read only."));
        QCOMPARE(changes, 1);
        QCOMPARE(settings.string("macAccessLevel"), std::optional<QString>("readOnly"));
        QCOMPARE(access.macAccessLevel(), MacAccessLevel::readOnly);
        QVERIFY(access.readOnlyRefusal(agentTask("open mail")));

        QCOMPARE(access.setMacAccess(MacAccessLevel::full),
                 std::optional<QString>("Mac access: full access."));
        QCOMPARE(access.setMacAccess(MacAccessLevel::off), std::optional<QString>("Mac access: no access."));
        QCOMPARE(changes, 3);
        // A fresh controller starts from what was stored, legacy switch or not.
        settings.setBool("macControlEnabled", true);
        QCOMPARE(MacAccess(settings).macAccessLevel(), MacAccessLevel::off);
    }
};

TESSALY_TEST_GUILESS_MAIN(TestMacAccess)
#include "test_macaccess.moc"
