#include "agent/MacCommandParser.h"
#include "support/TestMain.h"

#include <QtTest>
#include <ctime>


namespace {

// Local times in the test's fixed zone.
QDateTime at(int hour, int minute, int second = 0, int day = 14)
{
    return QDateTime(QDate(2024, 3, day), QTime(hour, minute, second));
}

constexpr int none = -1;

} // namespace

class TestMacCommandParser : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // An offset that is not a whole hour catches any mix-up of UTC and local time.
        qputenv("TZ", "Asia/Kolkata");
        tzset();
    }

    void recognisesTheCommand_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<std::optional<QString>>("task");
        QTest::newRow("alone") << "/mac" << std::optional<QString>("");
        QTest::newRow("capitals and colon alone") << "/MAC:" << std::optional<QString>("");
        QTest::newRow("colon") << "/mac: open Safari" << std::optional<QString>("open Safari");
        QTest::newRow("case kept") << "/Mac Open Safari" << std::optional<QString>("Open Safari");
        QTest::newRow("blanks around colon") << "  /mac   :  open  \n" << std::optional<QString>("open");
        QTest::newRow("only the first colon") << "/mac::x" << std::optional<QString>(":x");
        QTest::newRow("macbook") << "/macbook" << std::optional<QString>();
        QTest::newRow("macro") << "/macro record" << std::optional<QString>();
        QTest::newRow("newline right after") << "/mac\nopen Safari" << std::optional<QString>();
        QTest::newRow("tab right after") << "/mac\topen Safari" << std::optional<QString>();
        QTest::newRow("not at the start") << "please /mac open" << std::optional<QString>();
        QTest::newRow("empty") << "" << std::optional<QString>();
    }
    void recognisesTheCommand()
    {
        QFETCH(QString, text);
        QFETCH(std::optional<QString>, task);
        QCOMPARE(MacCommandParser::explicitTask(text), task);
    }

    void findsSystemActions_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("action"); // none: an agent task
        QTest::newRow("lock with time") << "lock the screen in 5 minutes" << int(MacSystemAction::lock);
        QTest::newRow("restart the app") << "restart the app please" << none;
        QTest::newRow("shut-down row comes first")
            << "restart the app and shut down" << int(MacSystemAction::shutdown);
        QTest::newRow("reboot") << "reboot the machine" << int(MacSystemAction::restart);
        // The exception covers the whole restart row, reboot included.
        QTest::newRow("restart the app, then reboot") << "restart the app or reboot" << none;
        QTest::newRow("substring unlock mac") << "unlock mac" << int(MacSystemAction::lock);
        QTest::newRow("substring block macros") << "block macros in word" << int(MacSystemAction::lock);
        QTest::newRow("capitals") << "SHUT DOWN NOW" << int(MacSystemAction::shutdown);
        QTest::newRow("log out before lock") << "lock screen and log out" << int(MacSystemAction::logOut);
        QTest::newRow("sleep") << "put my mac to sleep" << int(MacSystemAction::sleep);
        QTest::newRow("sleep alone is a task") << "sleep" << none;
        QTest::newRow("power off") << "power off at 11pm" << int(MacSystemAction::shutdown);
        QTest::newRow("plain task") << "open Safari" << none;
    }
    void findsSystemActions()
    {
        QFETCH(QString, text);
        QFETCH(int, action);
        const auto request = MacCommandParser::parse(text, true, at(12, 0));
        QVERIFY(request);
        if (action == none) {
            QVERIFY(!request->action.isSystem());
            QCOMPARE(request->action.task, text);
        } else {
            QVERIFY(request->action.isSystem());
            QCOMPARE(int(request->action.systemAction), action);
        }
    }

    void findsTheTime_data()
    {
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDateTime>("expected"); // invalid: no time, runs now
        QTest::newRow("in 5 minutes") << at(20, 0) << "lock the screen in 5 minutes" << at(20, 5);
        QTest::newRow("in another 2 hrs") << at(20, 0) << "in another 2 hrs check" << at(22, 0);
        QTest::newRow("in 30 secs") << at(20, 0) << "in 30 secs" << at(20, 0, 30);
        QTest::newRow("in 0 minutes") << at(20, 0) << "in 0 minutes" << at(20, 0);
        QTest::newRow("no blank before unit") << at(20, 0) << "in 3min" << at(20, 3);
        QTest::newRow("hours cross midnight") << at(23, 30) << "in 1 hour" << at(0, 30, 0, 15);
        QTest::newRow("at 7 at 20:00 is tomorrow") << at(20, 0) << "remind me at 7" << at(7, 0, 0, 15);
        QTest::newRow("at 7pm at 18:59 is today") << at(18, 59) << "at 7pm" << at(19, 0);
        QTest::newRow("at 7pm at 19:00 is tomorrow") << at(19, 0) << "at 7pm" << at(19, 0, 0, 15);
        QTest::newRow("at 12am is next midnight") << at(9, 0) << "at 12am" << at(0, 0, 0, 15);
        QTest::newRow("at 12pm before noon") << at(9, 0) << "at 12pm" << at(12, 0);
        QTest::newRow("at 12pm after noon") << at(12, 1) << "at 12pm" << at(12, 0, 0, 15);
        QTest::newRow("at 0:30 just before midnight") << at(23, 59) << "at 0:30" << at(0, 30, 0, 15);
        QTest::newRow("at 11:59 pm") << at(23, 0) << "at 11:59 pm" << at(23, 59);
        QTest::newRow("one-digit minutes are no minutes") << at(8, 0) << "at 9:5" << at(9, 0);
        QTest::newRow("three digits read two") << at(8, 0) << "at 123" << at(12, 0);
        QTest::newRow("relative wins though later") << at(20, 0) << "at 9pm, no, in 10 minutes" << at(20, 10);
        QTest::newRow("what 5 contains at 5") << at(20, 0) << "what 5 apps are open" << at(5, 0, 0, 15);
        QTest::newRow("no time") << at(20, 0) << "open safari" << QDateTime();
        QTest::newRow("relative overflowing 64 bits")
            << at(20, 0) << "in 99999999999999999999 minutes at 7" << QDateTime();
        QTest::newRow("interval overflowing") << at(20, 0) << "in 9223372036854775807 hours" << QDateTime();
        QTest::newRow("non-ascii digits")
            << at(20, 0) << QString::fromUtf8("in ٥ minutes at 7") << QDateTime();
    }
    void findsTheTime()
    {
        QFETCH(QDateTime, now);
        QFETCH(QString, text);
        QFETCH(QDateTime, expected);
        const auto request = MacCommandParser::parse(text, true, now);
        QVERIFY(request);
        if (!expected.isValid()) {
            QCOMPARE(request->fireDate, now);
            QCOMPARE(request->timingDescription, QStringLiteral("now"));
            return;
        }
        QCOMPARE(request->fireDate, expected);
        QCOMPARE(request->timingDescription,
                 QLocale::system().toString(expected.time(), QLocale::ShortFormat));
    }

    // On 31 March 2024 Berlin's clocks go from 2:00 straight to 3:00.
    void clockTimesTheClocksSkipRunWhenTheyJump()
    {
        qputenv("TZ", "Europe/Berlin");
        tzset();
        const auto restore = qScopeGuard([] {
            qputenv("TZ", "Asia/Kolkata");
            tzset();
        });
        const auto berlin = [](int day, int hour, int minute) {
            return QDateTime(QDate(2024, 3, day), QTime(hour, minute));
        };
        const auto fireDate = [](const char *text, const QDateTime &now) {
            const auto request = MacCommandParser::parse(QString::fromLatin1(text), true, now);
            return request ? request->fireDate : QDateTime();
        };
        const QDateTime jump = berlin(31, 3, 0);
        QCOMPARE(fireDate("at 2:30", berlin(31, 1, 50)), jump);
        QCOMPARE(fireDate("at 2am", berlin(31, 1, 50)), jump);
        // Tomorrow's 2:30 is skipped too.
        QCOMPARE(fireDate("at 2:30", berlin(30, 22, 0)), jump);
        QCOMPARE(MacCommandParser::parse("at 2:30", true, berlin(30, 22, 0))->timingDescription,
                 MacCommandParser::formatTime(jump));
        // Once the clocks have jumped, it is 2:30 of the next night.
        QCOMPARE(fireDate("at 2:30", berlin(31, 3, 10)), QDateTime(QDate(2024, 4, 1), QTime(2, 30)));
        QCOMPARE(fireDate("at 3:15", berlin(31, 1, 50)), berlin(31, 3, 15));
    }

    void outOfRangeClockTimesNeverCrash()
    {
        // Either no time or a later normalised one is acceptable; never a past one.
        for (const char *text : {"at 99:99", "at 24", "at 25pm", "at 13am", "at 0:99",
                                 "in 9000000000000000 secs", "in 99999999 hours"}) {
            const auto request = MacCommandParser::parse(QString::fromLatin1(text), true, at(20, 0));
            QVERIFY(request);
            QVERIFY2(request->fireDate.isValid() && request->fireDate >= at(20, 0), text);
        }
    }

    void keepsTheTaskAsTyped()
    {
        const auto task = MacCommandParser::explicitTask("/mac In 10 Minutes check my Mail");
        QVERIFY(task);
        const auto request = MacCommandParser::parse(*task, true, at(20, 0));
        QVERIFY(request);
        QCOMPARE(request->action, MacRequest::Action::peekaboo("In 10 Minutes check my Mail"));
        QCOMPARE(request->fireDate, at(20, 10));
    }

    void parsesOnlyExplicitNonEmptyTasks()
    {
        for (const char *text : {"open safari", "shut down", "in 5 minutes", ""})
            QCOMPARE(MacCommandParser::parse(QString::fromLatin1(text), false, at(20, 0)).has_value(), false);
        QVERIFY(!MacCommandParser::parse(QString(), true, at(20, 0)));
    }
};

TESSALY_TEST_GUILESS_MAIN(TestMacCommandParser)
#include "test_maccommandparser.moc"
