#include "AgentTestHome.h"
#include "support/ScheduledWaits.h"
#include "support/TestMain.h"

#include "agent/MacTaskOrchestrator.h"
#include "agent/PeekabooKeychain.h"
#include "platform/linux/LinuxSystemActions.h"
#include "support/ScriptedAlerts.h"

#include <QJsonArray>
#include <QtTest>

using namespace std::chrono_literals;

namespace {

const QString chat = QStringLiteral("5000000101");
const QString accessOff = QStringLiteral(
    "Mac access is off. Turn on Read only or Full access with /mac, or in Settings → Mac access.");

struct Reply
{
    QString text;
    QString chatID;
    std::optional<QString> replyTo;
};

QJsonObject agentAnswer(const QString &content, double sleep = 0)
{
    return QJsonObject{
        {"json", QJsonObject{{"success", true}, {"result", QJsonObject{{"content", content}}}}},
        {"sleep", sleep}};
}

// A stand-in for systemctl or loginctl: records its arguments, writes an
// error text and exits with a fixed status.
QString writeFakeTool(const QString &folder, const QString &name, int status, const QString &error = {})
{
    const QString path = folder + u'/' + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write(
        QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$@\" > \"%1.args\"\nprintf '%s' '%2' >&2\nexit %3\n")
            .arg(path, error)
            .arg(status)
            .toUtf8());
    file.close();
    file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
    return path;
}

} // namespace

// The orchestration without a window: replies, status lines and questions are
// recorded; the agent is the fake Peekaboo; system actions run stand-in tools.
struct Fixture
{
    AgentTestHome home;
    std::unique_ptr<PeekabooBridge> bridge = home.bridge();
    MacAccess access{*home.settings};
    ScriptedAlerts alerts;
    QList<Reply> replies;
    QStringList statuses;
    QString subtitle;
    std::optional<QString> selected = chat;
    int composerClears = 0;
    // What sending a reply reports.
    std::optional<QString> sendError;
    // When set, the orchestration's clock stands still at this time.
    std::optional<QDateTime> stoppedClock;
    ScheduledWaits scheduled;
    QString toolFolder = home.root() + "/tools";
    std::unique_ptr<MacTaskOrchestrator> tasks;

    explicit Fixture(MacAccessLevel level = MacAccessLevel::full, std::chrono::milliseconds watchdog = 600s)
    {
        QDir().mkpath(toolFolder);
        PeekabooKeychain(home.secrets).save("sk-test", PeekabooProvider::openai);
        access.setMacAccess(level);
        MacTaskOrchestrator::Hooks hooks;
        hooks.sendMessage = [this](const QString &text, const QString &chatID,
                                   const std::optional<QString> &replyTo,
                                   MacTaskOrchestrator::SendCompletion completion) {
            replies.append({text, chatID, replyTo});
            if (sendError && completion)
                completion(sendError);
        };
        hooks.selectedChatID = [this] { return selected; };
        hooks.selectedChatTitle = [] { return QStringLiteral("Demo Bot"); };
        hooks.showStatus = [this](const QString &text) { statuses << text; };
        hooks.setSubtitle = [this](const QString &text) { subtitle = text; };
        hooks.clearComposer = [this] { ++composerClears; };
        MacTaskOrchestrator::Options options;
        options.clock = [this] { return stoppedClock.value_or(QDateTime::currentDateTime()); };
        options.wait = scheduled.hook();
        options.watchdogInterval = watchdog;
        options.systemActionDelay = 10ms;
        options.systemActions =
            std::make_shared<LinuxSystemActions>(toolFolder + "/systemctl", toolFolder + "/loginctl");
        tasks = std::make_unique<MacTaskOrchestrator>(access, *bridge, *home.log, alerts, hooks, options);
    }

    MacTaskOrchestrator::ChatMessage message(const QString &id, const QString &text, qint64 ageSeconds = 0)
    {
        return {id, text, true, QDateTime::currentSecsSinceEpoch() - ageSeconds};
    }
    void receive(const QString &id, const QString &text)
    {
        tasks->handleMacControlMessages({message(id, text)});
    }
    QStringList replyTexts() const
    {
        QStringList texts;
        for (const Reply &reply : replies)
            texts << reply.text;
        return texts;
    }
    bool waitForReply(const QString &prefix, int timeoutMs = 15000)
    {
        QDeadlineTimer deadline(timeoutMs);
        while (!deadline.hasExpired()) {
            for (const Reply &reply : std::as_const(replies))
                if (reply.text.startsWith(prefix))
                    return true;
            QTest::qWait(20);
        }
        return false;
    }
};

class TestMacTaskOrchestrator : public QObject
{
    Q_OBJECT
private slots:
    void chatTaskIsApprovedRunsAndReportsWithoutTaskLine()
    {
        Fixture f;
        f.home.script({{"agent", agentAnswer("The screen shows a calendar.")}});
        f.alerts.script.push_back(ScriptedAlerts::button(0));
        f.receive("41", "/mac describe the screen");
        QCOMPARE(f.alerts.presented.size(), 1);
        QCOMPARE(f.alerts.presented[0].message, QString("Run this Mac task now?"));
        QCOMPARE(
            f.alerts.presented[0].informativeText,
            QString(
                "\"describe the screen\"\n\nPeekaboo will control this Mac to complete the task, including "
                "apps, pointer, and keyboard. Approve only tasks you sent."));
        QCOMPARE(f.alerts.presented[0].buttons, QStringList({"Allow", "Cancel"}));
        QVERIFY(f.tasks->macTaskRunning());

        QVERIFY(f.waitForReply("✓"));
        QCOMPARE(f.replyTexts(), QStringList({"▸ Mac task started\n\ndescribe the screen",
                                              "✓ Mac task finished\n\nThe screen shows a calendar."}));
        QCOMPARE(f.replies[1].replyTo, std::optional<QString>("41"));
        QCOMPARE(f.replies[1].chatID, chat);
        QVERIFY(f.statuses.contains("Running Mac task from Telegram…"));
        QCOMPARE(f.statuses.last(), QString("Mac task finished."));
        QVERIFY(!f.tasks->macTaskRunning() && !f.tasks->hasMacTaskWatchdog());
        QCOMPARE(f.subtitle, QString("Demo Bot"));
    }

    void deniedTaskIsCancelledAndNothingRuns()
    {
        Fixture f;
        f.alerts.script.push_back(ScriptedAlerts::button(1));
        f.receive("42", "/mac lock the screen");
        QCOMPARE(f.alerts.presented[0].message, QString("Lock this Mac now?"));
        QCOMPARE(f.alerts.presented[0].informativeText,
                 QString("Requested from Telegram. The action runs on this Mac."));
        QTRY_COMPARE(f.replyTexts(), QStringList{"■ Mac task cancelled."});
        QVERIFY(!f.tasks->macTaskRunning());
        QVERIFY(!QFile::exists(f.toolFolder + "/loginctl.args"));
    }

    void oldCommandsAreNeverRunAndNeverLookedAtAgain()
    {
        Fixture f;
        f.tasks->handleMacControlMessages(
            {f.message("1", "/mac lock the screen", 5),
             {"2", "/mac lock the screen", false, QDateTime::currentSecsSinceEpoch()}});
        QVERIFY(f.alerts.presented.isEmpty());
        QVERIFY(f.replies.isEmpty());
        QVERIFY(f.tasks->handledMacCommandIDs().contains("1"));
        // Incoming messages are not the user's commands and are not recorded.
        QVERIFY(!f.tasks->handledMacCommandIDs().contains("2"));
        // A message from the start's own second counts as new.
        f.tasks->handleMacControlMessages(
            {{"3", "/mac lock the screen", true, f.tasks->macCommandWatchStart().toSecsSinceEpoch()}});
        QCOMPARE(f.alerts.presented.size(), 1);
    }

    void chatRefusals_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("reply");
        const QString listing = "Installed skills — send @name with a task to load one:\n• @alpha";
        QTest::newRow("skills listing with access off")
            << int(MacAccessLevel::off) << "/mac @skills" << listing;
        QTest::newRow("access off") << int(MacAccessLevel::off) << "/mac lock the screen" << accessOff;
        QTest::newRow("empty task")
            << int(MacAccessLevel::full) << "/mac:"
            << "Send a task after /mac, for example: /mac open Safari and search for the weather.";
        QTest::newRow("read only, acting verb")
            << int(MacAccessLevel::readOnly) << "/mac OPEN Safari"
            << "⚠️ Read-only access is on, so I won't run a task that "
               "could change this Mac (\"open\"). Switch Mac "
               "access to Full access in the app if you want it to act.";
        QTest::newRow("read only, system action")
            << int(MacAccessLevel::readOnly) << "/mac restart"
            << "⚠️ System actions need Full access. Mac access is read only.";
    }
    void chatRefusals()
    {
        QFETCH(int, level);
        QFETCH(QString, text);
        QFETCH(QString, reply);
        Fixture f{MacAccessLevel(level)};
        QDir().mkpath(f.home.home() + "/.agents/skills/alpha");
        QFile skill(f.home.home() + "/.agents/skills/alpha/SKILL.md");
        QVERIFY(skill.open(QIODevice::WriteOnly));
        skill.close();
        f.receive("7", text);
        QCOMPARE(f.replyTexts(), QStringList{reply});
        QCOMPARE(f.replies[0].replyTo, std::optional<QString>("7"));
        QVERIFY(f.alerts.presented.isEmpty());
    }

    void commandWithoutSelectedBotIsConsumedSilently()
    {
        Fixture f;
        f.selected.reset();
        f.receive("9", "/mac lock the screen");
        QVERIFY(f.replies.isEmpty() && f.alerts.presented.isEmpty());
        QVERIFY(f.tasks->handledMacCommandIDs().contains("9"));
    }

    void draftWithAccessOffOffersToTurnItOn()
    {
        Fixture f(MacAccessLevel::off);
        f.tasks->runDraftAsMacTask("/mac describe the screen");
        QCOMPARE(f.alerts.presented.size(), 1);
        QCOMPARE(f.alerts.presented[0].message, QString("Mac access is off"));
        QCOMPARE(f.alerts.presented[0].buttons, QStringList({"Read only", "Full access", "Cancel"}));
        f.alerts.answerPending(ScriptedAlerts::button(2));
        QCOMPARE(f.access.macAccessLevel(), MacAccessLevel::off);
        QCOMPARE(f.composerClears, 0);

        f.tasks->runDraftAsMacTask("/mac describe the screen");
        f.alerts.answerPending(ScriptedAlerts::button(0));
        QCOMPARE(f.access.macAccessLevel(), MacAccessLevel::readOnly);
        QVERIFY(f.statuses.contains("Mac access: read only."));
        QCOMPARE(f.alerts.presented.size(), 3);
        QCOMPARE(f.alerts.presented[2].message, QString("Run this read-only Mac task now?"));
        QVERIFY(f.alerts.presented[2].informativeText.endsWith(
            "\"\n\nPeekaboo may look at the screen and read state. It will not click, type, open apps or "
            "change "
            "anything on this Mac."));
        QCOMPARE(f.composerClears, 1);
    }

    void draftRefusalsAndEmptyDrafts()
    {
        Fixture f(MacAccessLevel::readOnly);
        f.tasks->runDraftAsMacTask("  /mac  ");
        QCOMPARE(f.statuses.last(), QString("Type a task after /mac."));
        f.tasks->runDraftAsMacTask("/mac type hello");
        QCOMPARE(f.statuses.last(), QString("Read-only access refused that task."));
        QVERIFY(f.replies.last().text.startsWith("⚠️ Read-only access is on"));
        QCOMPARE(f.replies.last().replyTo, std::nullopt);
        QCOMPARE(f.composerClears, 1);
        f.selected.reset();
        f.tasks->runDraftAsMacTask("/mac describe the screen");
        QCOMPARE(f.statuses.last(), QString("Choose a bot before running a Mac task."));
        QVERIFY(f.alerts.presented.isEmpty());
    }

    void aReplyThatCannotBeSentShowsInTheStatusLine()
    {
        Fixture f(MacAccessLevel::off);
        f.sendError = "CHAT_WRITE_FORBIDDEN";
        f.receive("1", "/mac check mail");
        QCOMPARE(f.statuses, QStringList{"Mac reply failed: CHAT_WRITE_FORBIDDEN"});
    }

    void cutNeverSplitsACharacter()
    {
        QCOMPARE(MacTaskOrchestrator::cut("abc", 3), QString("abc"));
        QCOMPARE(MacTaskOrchestrator::cut("abcd", 3), QString("abc…"));
        QCOMPARE(MacTaskOrchestrator::cut("ab😀d", 3), QString("ab…"));
    }

    void aTimeMonthsAheadWaitsInsteadOfFiringAtOnce()
    {
        Fixture f;
        f.alerts.script.push_back(ScriptedAlerts::button(0));
        f.receive("5", "/mac lock the screen in 3000 hours");
        QTRY_COMPARE(f.tasks->scheduledMacTaskCount(), 1);
        // The longest wait a timer takes ends long before the time: it waits again.
        QCOMPARE(f.scheduled.waits.size(), 1);
        QCOMPARE(f.scheduled.waits[0].length.count(), qint64(std::numeric_limits<int>::max()));
        QCOMPARE(f.scheduled.endAll(), 1);
        QCOMPARE(f.scheduled.waits.size(), 1);
        QCOMPARE(f.replyTexts().size(), 1);
        QVERIFY(f.replies[0].text.startsWith("Scheduled lock for "));
        QCOMPARE(f.tasks->scheduledMacTaskCount(), 1);
        QVERIFY(!QFile::exists(f.toolFolder + "/loginctl.args"));
    }

    // Approved for later, then access lowered: the level at the time decides.
    void scheduledTasksAreRecheckedAtTheirTime_data()
    {
        QTest::addColumn<QString>("task");
        QTest::addColumn<int>("levelAtTime");
        QTest::addColumn<QString>("reply");
        QTest::newRow("shut down, read only")
            << "/mac shut down in 2 seconds" << int(MacAccessLevel::readOnly)
            << "⚠️ System actions need Full access. Mac access is read only.";
        QTest::newRow("shut down, off")
            << "/mac shut down in 2 seconds" << int(MacAccessLevel::off) << accessOff;
        QTest::newRow("agent task, off")
            << "/mac in 2 seconds describe the screen" << int(MacAccessLevel::off) << accessOff;
        QTest::newRow("agent task, read only, acting verb")
            << "/mac in 2 seconds click the button" << int(MacAccessLevel::readOnly)
            << "⚠️ Read-only access is on, so I won't run a task that could change this Mac (\"click\"). "
               "Switch Mac "
               "access to Full access in the app if you want it to act.";
    }
    void scheduledTasksAreRecheckedAtTheirTime()
    {
        QFETCH(QString, task);
        QFETCH(int, levelAtTime);
        QFETCH(QString, reply);
        Fixture f;
        writeFakeTool(f.toolFolder, "systemctl", 0);
        f.alerts.script.push_back(ScriptedAlerts::button(0));
        f.receive("8", task);
        QTRY_COMPARE(f.replies.size(), 1);
        QVERIFY(f.replies[0].text.startsWith("Scheduled "));
        f.access.setMacAccess(MacAccessLevel(levelAtTime));
        QCOMPARE(f.replies.size(), 1);
        f.stoppedClock = QDateTime::currentDateTime().addSecs(3);
        QCOMPARE(f.scheduled.endAll(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(f.replies.size(), 2, 5000);
        QCOMPARE(f.replies[1].text, reply);
        QTest::qWait(200);
        QCOMPARE(f.replies.size(), 2);
        QVERIFY(f.home.calls().isEmpty());
        QVERIFY(!QFile::exists(f.toolFolder + "/systemctl.args"));
    }

    void watchdogEndsASilentTaskAndTheLateResultIsStillReported()
    {
        Fixture f(MacAccessLevel::full, 400ms);
        f.stoppedClock = QDateTime::currentDateTime();
        f.home.script({{"agent", agentAnswer("Finally done.", 1.5)}});
        f.alerts.script.push_back(ScriptedAlerts::button(0));
        f.receive("3", "/mac describe the screen");
        QTRY_VERIFY(f.tasks->macTaskRunning() && f.tasks->macTaskStartedAt());
        QCOMPARE(f.subtitle, QString("Mac task running…"));
        QCOMPARE(f.tasks->macProgressText(), QString("Working on Mac task… 0s"));
        QVERIFY(f.waitForReply("✕ Mac task timed out"));
        QCOMPARE(f.replies.last().text, QString("✕ Mac task timed out before Peekaboo reported a result."));
        QVERIFY(!f.tasks->macTaskRunning() && !f.tasks->hasMacTaskWatchdog());
        QCOMPARE(f.statuses.last(), QString("Mac task timed out."));
        QCOMPARE(f.subtitle, QString("Demo Bot"));
        // The agent still runs: another task has to wait for it.
        f.alerts.script.push_back(ScriptedAlerts::button(0));
        f.receive("4", "/mac what time is it");
        QTRY_COMPARE(f.replies.last().text, QString("A Mac task is already running. Wait for it to finish."));
        QVERIFY(f.waitForReply("✓"));
        QCOMPARE(f.replies.last().text, QString("✓ Mac task finished\n\nFinally done."));
        f.home.log->waitUntilWritten();
        QVERIFY(f.home.log->read().contains("] WATCHDOG: no result after 0s, ending the task\n"));
    }

    void progressTextFollowsTheAgentsSteps()
    {
        Fixture f;
        f.home.script({{"agent", QJsonObject{{"json", QJsonObject{{"success", true}}},
                                             {"stderr", QJsonArray{"Looking at the screen"}},
                                             {"sleep", 1.5}}}});
        f.alerts.script.push_back(ScriptedAlerts::button(0));
        f.stoppedClock = QDateTime::currentDateTime();
        f.receive("3", "/mac describe the screen");
        QTRY_VERIFY_WITH_TIMEOUT(f.tasks->macTaskActivity().has_value(), 10000);
        f.stoppedClock = f.stoppedClock->addSecs(7);
        QCOMPARE(f.tasks->macProgressText(), QString("Working on Mac task · Looking at the screen · 7s"));
        QVERIFY(f.waitForReply("✓"));
        QVERIFY(!f.tasks->macTaskActivity() && !f.tasks->macTaskStartedAt());
    }

    void systemActionOutcomes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("tool");
        QTest::addColumn<int>("exitStatus");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("failure");
        QTest::newRow("lock succeeds") << "/mac lock the screen"
                                       << "loginctl" << 0 << "" << QStringList{"lock-session"} << "";
        QTest::newRow("sleep reports the error text")
            << "/mac put the mac to sleep"
            << "systemctl" << 1 << "Access denied" << QStringList{"suspend"}
            << "⚠️ Put to sleep failed\n\nAccess denied";
        QTest::newRow("restart without error text")
            << "/mac reboot"
            << "systemctl" << 3 << "" << QStringList{"reboot"}
            << "⚠️ Restart failed\n\nsystemctl exited with status 3.";
    }
    void systemActionOutcomes()
    {
        QFETCH(QString, text);
        QFETCH(QString, tool);
        QFETCH(int, exitStatus);
        QFETCH(QString, error);
        QFETCH(QStringList, arguments);
        QFETCH(QString, failure);
        Fixture f;
        const QString path = writeFakeTool(f.toolFolder, tool, exitStatus, error);
        f.alerts.script.push_back(ScriptedAlerts::button(0));
        f.receive("6", text);
        QTRY_VERIFY_WITH_TIMEOUT(
            f.statuses.contains("Mac action completed.") || f.statuses.contains("Mac action failed."), 5000);
        QFile args(path + ".args");
        QVERIFY(args.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(args.readAll()).split(u'\n', Qt::SkipEmptyParts), arguments);
        QCOMPARE(f.statuses.last(),
                 failure.isEmpty() ? QString("Mac action completed.") : QString("Mac action failed."));
        QCOMPARE(f.replies.last().text, failure.isEmpty() ? f.replies[0].text : failure);
        QVERIFY(!f.tasks->macTaskRunning());
    }

    void systemActionThatCannotStartIsReported()
    {
        Fixture f;
        f.alerts.script.push_back(ScriptedAlerts::button(0));
        f.receive("6", "/mac shut down");
        QTRY_VERIFY_WITH_TIMEOUT(f.statuses.contains("Mac action failed."), 5000);
        QVERIFY(f.replies.last().text.startsWith("⚠️ Shut down failed\n\n"));
        QVERIFY(f.replies.last().text.size() > QString("⚠️ Shut down failed\n\n").size());
    }

    void linuxCommandsPassTheSessionAsOneArgument()
    {
        LinuxSystemActions actions;
        qputenv("XDG_SESSION_ID", "c2; reboot");
        const auto logOut = actions.command(SystemActions::Action::logOut, "ignored");
        QCOMPARE(logOut.program, QString("loginctl"));
        QCOMPARE(logOut.arguments, QStringList({"terminate-session", "c2; reboot"}));
        qunsetenv("XDG_SESSION_ID");
        QCOMPARE(actions.command(SystemActions::Action::logOut, {}).arguments,
                 QStringList({"terminate-session", "self"}));
        QCOMPARE(actions.command(SystemActions::Action::shutdown, {}).arguments, QStringList{"poweroff"});
    }
};

TESSALY_TEST_MAIN(TestMacTaskOrchestrator)
#include "test_mactaskorchestrator.moc"
