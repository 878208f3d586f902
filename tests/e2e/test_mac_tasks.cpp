// End to end: "/mac" messages from the user's other devices and composer
// drafts, through the real controller, the Telegram simulator and the fake
// Peekaboo agent. System actions run stand-ins of systemctl and loginctl.
#include "agent/MacAccess.h"
#include "agent/PeekabooKeychain.h"
#include "platform/linux/LinuxSystemActions.h"
#include "support/AppHarness.h"
#include "support/ScheduledWaits.h"
#include "support/TestMain.h"
#include "ui/BotFaceView.h"
#include "ui/ComposerTextView.h"
#include "ui/ComposerView.h"
#include "ui/SkillCompletionController.h"
#include "ui/TranscriptController.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

using namespace std::chrono_literals;

namespace {

const QByteArray demoChat = "5000000101";
const QString accessOff = QStringLiteral(
    "Mac access is off. Turn on Read only or Full access with /mac, or in Settings → Mac access.");

QJsonObject agentAnswer(const QString &content, double sleep = 0)
{
    return QJsonObject{
        {"json", QJsonObject{{"success", true}, {"result", QJsonObject{{"content", content}}}}},
        {"sleep", sleep}};
}

} // namespace

class TestMacTasks : public QObject
{
    Q_OBJECT

    QTemporaryDir m_root;
    QString m_tools;
    qint64 m_clockOffsetMs = 0;
    ScheduledWaits m_scheduled;
    std::chrono::milliseconds m_watchdog = 600s;
    std::unique_ptr<AppHarness> m_h;
    // The demo history, which the tests look past.
    QSet<QString> m_history;

    // A signed-in application with the demo bot selected and its history shown.
    AppHarness &start(MacAccessLevel level)
    {
        AppHarness::environmentHook = [this](AppEnvironment &env) {
            env.macTasks.clock = [this] { return QDateTime::currentDateTime().addMSecs(m_clockOffsetMs); };
            env.macTasks.wait = m_scheduled.hook();
            env.macTasks.watchdogInterval = m_watchdog;
            env.macTasks.systemActionDelay = 50ms;
            env.macTasks.systemActions =
                std::make_shared<LinuxSystemActions>(m_tools + "/systemctl", m_tools + "/loginctl");
        };
        m_h = std::make_unique<AppHarness>(R"({"scan_delay_ms":0,"bot_replies":false})");
        AppHarness &h = *m_h;
        [&] {
            QTRY_VERIFY_WITH_TIMEOUT(h.app->telegramAuthorized(), 10000);
            QTRY_VERIFY_WITH_TIMEOUT(!h.app->botChats().isEmpty(), 10000);
        }();
        for (const BotConversation &bot : h.app->botChats())
            if (bot.id == QString::fromLatin1(demoChat))
                h.app->selectBot(bot);
        // The cached history shows only the newest message; the full one holds the demo's old "/mac" task.
        const auto historyLoaded = [&] {
            for (const BotMessage &message : h.app->telegramMessages())
                if (message.isOutgoing && message.text.startsWith("/mac "))
                    return true;
            return false;
        };
        [&] { QTRY_VERIFY_WITH_TIMEOUT(historyLoaded(), 10000); }();
        m_history.clear();
        for (const BotMessage &message : h.app->telegramMessages())
            m_history.insert(message.id);
        h.app->macAccess()->setMacAccess(level);
        PeekabooKeychain(h.secrets).save("sk-test", PeekabooProvider::openai);
        return h;
    }

    void inject(const QString &text)
    {
        AppHarness::configure(QJsonDocument(QJsonObject{{"command", "inject_outgoing"},
                                                        {"chat_id", demoChat.toLongLong()},
                                                        {"text", text}})
                                  .toJson(QJsonDocument::Compact));
    }

    // The texts of the user's own messages since the start, oldest first.
    QStringList sent() const
    {
        QStringList texts;
        for (const BotMessage &message : m_h->app->telegramMessages())
            if (message.isOutgoing && !m_history.contains(message.id))
                texts << message.text;
        return texts;
    }
    bool waitForSent(const QString &prefix, int timeoutMs = 15000)
    {
        QDeadlineTimer deadline(timeoutMs);
        while (!deadline.hasExpired()) {
            for (const QString &text : sent())
                if (text.startsWith(prefix))
                    return true;
            QTest::qWait(25);
        }
        return false;
    }
    qsizetype countSent(const QString &text) const { return sent().count(text); }

    void writeFakeTool(const QString &name, int status, const QString &error = {})
    {
        QFile file(m_tools + u'/' + name);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(
            QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$@\" >> \"$0.args\"\nprintf '%s' '%1' >&2\nexit %2\n")
                .arg(error)
                .arg(status)
                .toUtf8());
        file.close();
        file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
    }
    QString toolArguments(const QString &name) const
    {
        QFile file(m_tools + u'/' + name + ".args");
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    void scriptAgent(const QJsonObject &answer)
    {
        QFile file(m_root.filePath("fake/scenario.json"));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QJsonDocument(QJsonObject{{"agent", answer}}).toJson());
    }
    bool agentWasStarted() const { return QFile::exists(m_root.filePath("fake/calls.jsonl")); }

    void typeDraft(const QString &text)
    {
        ComposerTextView *input = m_h->app->botFace()->composer()->input();
        input->setPlainText(text);
        QTextCursor cursor = input->textCursor();
        cursor.movePosition(QTextCursor::End);
        input->setTextCursor(cursor);
    }
    void pressReturn(Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(m_h->app->botFace()->composer()->input(), Qt::Key_Return, modifiers);
    }

private slots:
    void init()
    {
        // A throw-away home with the fake agent where npx caches packages, and
        // stand-ins for the system tools that are never created unless a test wants them.
        QDir root(m_root.path());
        for (const char *folder : {"home", "tmp", "fake", "state", "tools"})
            root.mkpath(QString::fromLatin1(folder));
        const QString cached = root.filePath("home/.npm/_npx/4f1c2e/node_modules/@fennick/peekaboo");
        QDir().mkpath(cached);
        QFile::link(QStringLiteral(TESSALY_FAKES_DIR "/peekaboo"), cached + "/peekaboo");
        qputenv("HOME", QFile::encodeName(root.filePath("home")));
        qputenv("TMPDIR", QFile::encodeName(root.filePath("tmp")));
        qputenv("XDG_STATE_HOME", QFile::encodeName(root.filePath("state")));
        qputenv("FAKE_PEEKABOO_DIR", QFile::encodeName(root.filePath("fake")));
        m_tools = root.filePath("tools");
        m_clockOffsetMs = 0;
        m_watchdog = 600s;
        m_scheduled.waits.clear();
    }
    void cleanup()
    {
        m_h.reset();
        AppHarness::environmentHook = {};
        QDir(m_root.path()).removeRecursively();
        QDir().mkpath(m_root.path());
    }

    void taskFromAnotherDeviceIsApprovedRunsAndIsReported()
    {
        AppHarness &h = start(MacAccessLevel::full);
        scriptAgent(agentAnswer("A calendar and a terminal.", 1.0));
        h.alerts.script.push_back(ScriptedAlerts::button(0));
        inject("/mac describe the screen");
        QVERIFY(waitForSent("▸ Mac task started"));
        QCOMPARE(h.alerts.presented.last().message, QString("Run this Mac task now?"));
        // While it runs: the subtitle and the progress row.
        QCOMPARE(h.app->window()->subtitle(), QString("Mac task running…"));
        QTRY_VERIFY(!h.app->botFace()->transcript()->displayedMessages().isEmpty() &&
                    h.app->botFace()->transcript()->displayedMessages().last().id == "mac-progress");
        QVERIFY(waitForSent("✓ Mac task finished"));
        QVERIFY(sent().contains("▸ Mac task started\n\ndescribe the screen"));
        QVERIFY(sent().contains("✓ Mac task finished\n\nA calendar and a terminal."));
        QCOMPARE(h.app->botFace()->statusText(), QString("Mac task finished."));
        QCOMPARE(h.app->window()->subtitle(), QString("Tessaly Demo Bot"));
        QTRY_VERIFY(h.app->botFace()->transcript()->displayedMessages().last().id != "mac-progress");

        h.alerts.script.push_back(ScriptedAlerts::button(1));
        inject("/mac open the downloads folder");
        QVERIFY(waitForSent("■ Mac task cancelled."));
        QCOMPARE(h.alerts.presented.size(), 2);
    }

    void commandsOlderThanTheStartAreNeverRun()
    {
        // The demo history holds a "/mac" command sent before this start.
        AppHarness &h = start(MacAccessLevel::full);
        QString oldCommand;
        for (const BotMessage &message : h.app->telegramMessages())
            if (message.isOutgoing && message.text.startsWith("/mac "))
                oldCommand = message.id;
        QVERIFY(!oldCommand.isEmpty());
        QVERIFY(h.app->macTasks()->handledMacCommandIDs().contains(oldCommand));
        QTest::qWait(300);
        QVERIFY(h.alerts.presented.isEmpty());

        // And one sent a moment before a start that the clock puts a minute later.
        m_h.reset();
        m_clockOffsetMs = 60'000;
        start(MacAccessLevel::full);
        inject("/mac lock the screen");
        QVERIFY(waitForSent("/mac lock the screen"));
        QTest::qWait(500);
        QCOMPARE(sent(), QStringList{"/mac lock the screen"});
        QVERIFY(m_h->alerts.presented.isEmpty());
    }

    void sameTextTwiceWithinFifteenSecondsRunsOnce()
    {
        AppHarness &h = start(MacAccessLevel::off);
        inject("/mac check my mail");
        QVERIFY(waitForSent(accessOff));
        m_clockOffsetMs = 10'000;
        inject("/mac check my mail");
        QTRY_COMPARE(countSent("/mac check my mail"), 2);
        QTest::qWait(400);
        QCOMPARE(countSent(accessOff), 1);
        m_clockOffsetMs = 30'000;
        inject("/mac check my mail");
        QTRY_COMPARE_WITH_TIMEOUT(countSent(accessOff), 2, 5000);
        QVERIFY(h.alerts.presented.isEmpty());
    }

    void secondTaskWhileTheApprovalIsOpenWaits()
    {
        AppHarness &h = start(MacAccessLevel::full);
        inject("/mac describe the screen");
        QTRY_COMPARE_WITH_TIMEOUT(h.alerts.pending.size(), 1, 10000);
        inject("/mac what is playing");
        QVERIFY(waitForSent("A Mac task is already waiting for approval or running. Wait for it to finish."));
        h.alerts.answerPending(ScriptedAlerts::button(1));
        QVERIFY(waitForSent("■ Mac task cancelled."));
        QCOMPARE(h.alerts.presented.size(), 1);
    }

    void skillsListingAnswersEvenWithAccessOff()
    {
        QDir().mkpath(qEnvironmentVariable("HOME") + "/.agents/skills/alpha");
        QFile skill(qEnvironmentVariable("HOME") + "/.agents/skills/alpha/SKILL.md");
        QVERIFY(skill.open(QIODevice::WriteOnly));
        skill.write("Say hello.");
        skill.close();
        start(MacAccessLevel::off);
        inject("/mac @skills");
        QVERIFY(waitForSent("Installed skills — send @name with a task to load one:\n• @alpha"));
    }

    void readOnlyRefusesAnActingTask()
    {
        AppHarness &h = start(MacAccessLevel::readOnly);
        inject("/mac open Safari");
        QVERIFY(
            waitForSent("⚠️ Read-only access is on, so I won't run a task that could change this Mac "
                        "(\"open\"). Switch Mac access to Full access in the app if you want it to act."));
        QVERIFY(h.alerts.presented.isEmpty());
        QVERIFY(!agentWasStarted());
    }

    void draftWithAccessOffOffersToTurnItOnAndNamesTheTask()
    {
        AppHarness &h = start(MacAccessLevel::off);
        scriptAgent(agentAnswer(QString(5000, u'x')));
        h.alerts.script.push_back(ScriptedAlerts::button(1)); // Full access
        h.alerts.script.push_back(ScriptedAlerts::button(0)); // Allow
        typeDraft("/mac summarise the window");
        pressReturn();
        QVERIFY(waitForSent("✓ Mac task finished"));
        QCOMPARE(h.alerts.presented[0].message, QString("Mac access is off"));
        QCOMPARE(h.app->macAccess()->macAccessLevel(), MacAccessLevel::full);
        QVERIFY(h.app->botFace()->composer()->text().isEmpty());
        const QString reply = sent().filter("✓ Mac task finished").first();
        QVERIFY(reply.startsWith("✓ Mac task finished\n\nTask: summarise the window\n\nxxxx"));
        QCOMPARE(reply.size(), 3801);
        QVERIFY(reply.endsWith("x…"));
        // The draft itself never reaches the chat.
        QVERIFY(!sent().contains("/mac summarise the window"));
    }

    void controlReturnOrASkillRunsADraftAsATask()
    {
        QDir().mkpath(qEnvironmentVariable("HOME") + "/.agents/skills/alpha");
        QFile skill(qEnvironmentVariable("HOME") + "/.agents/skills/alpha/SKILL.md");
        QVERIFY(skill.open(QIODevice::WriteOnly));
        skill.write("Say hello.");
        skill.close();
        AppHarness &h = start(MacAccessLevel::full);
        h.alerts.script.push_back(ScriptedAlerts::button(0));
        typeDraft("what is on screen");
        pressReturn(Qt::ControlModifier);
        QVERIFY(waitForSent("✓ Mac task finished\n\nTask: what is on screen\n\nOK"));
        QCOMPARE(h.alerts.presented[0].message, QString("Run this Mac task now?"));

        // Typing a skill's first letters offers it; Return completes it, a second Return runs the draft.
        ComposerTextView *input = h.app->botFace()->composer()->input();
        typeDraft("");
        QTest::keyClicks(input, "@al");
        QVERIFY(input->skillCompletion && input->skillCompletion->isVisible());
        QCOMPARE(input->skillCompletion->matches(), QStringList{"alpha"});
        pressReturn();
        QCOMPARE(input->toPlainText(), QString("@alpha "));
        QTest::keyClicks(input, "greet me");
        h.alerts.script.push_back(ScriptedAlerts::button(1));
        pressReturn();
        QVERIFY(waitForSent("■ Mac task cancelled."));
        QVERIFY(h.alerts.presented.last().informativeText.startsWith("\"@alpha greet me\"\n\n"));
        QVERIFY(!sent().contains("@alpha greet me"));
    }

    void scheduledActionRepliesAndRunsAtItsTime()
    {
        AppHarness &h = start(MacAccessLevel::full);
        writeFakeTool("loginctl", 0);
        h.alerts.script.push_back(ScriptedAlerts::button(0));
        inject("/mac lock the screen in 2 seconds");
        QVERIFY(waitForSent("Scheduled lock for "));
        QVERIFY(h.alerts.presented[0].message.startsWith("Lock this Mac at "));
        QCOMPARE(
            h.alerts.presented[0].informativeText,
            QString("Requested from Telegram. The action runs on this Mac while Tessaly stays running."));
        QVERIFY(toolArguments("loginctl").isEmpty());
        m_clockOffsetMs += 3000;
        QCOMPARE(m_scheduled.endAll(), 1);
        QVERIFY(waitForSent("Locking the screen…"));
        QTRY_COMPARE_WITH_TIMEOUT(h.app->botFace()->statusText(), QString("Mac action completed."), 5000);
        QCOMPARE(toolArguments("loginctl"), QString("lock-session\n"));
    }

    void quittingDropsScheduledTasks()
    {
        AppHarness &h = start(MacAccessLevel::full);
        writeFakeTool("loginctl", 0);
        h.alerts.script.push_back(ScriptedAlerts::button(0));
        inject("/mac lock the screen in 2 seconds");
        QVERIFY(waitForSent("Scheduled lock for "));
        QCOMPARE(h.app->macTasks()->scheduledMacTaskCount(), 1);
        h.app->requestTermination();
        QCOMPARE(h.app->macTasks()->scheduledMacTaskCount(), 0);
        m_clockOffsetMs += 3000;
        QCOMPARE(m_scheduled.endAll(), 0);
        QVERIFY(toolArguments("loginctl").isEmpty());
    }

    // Approved while allowed, then access lowered before the time came.
    void scheduledTasksAreRecheckedWhenTheyRun_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("levelAtTime");
        QTest::addColumn<QString>("reply");
        QTest::newRow("shut down, read only")
            << "/mac shut down in 2 seconds" << int(MacAccessLevel::readOnly)
            << "⚠️ System actions need Full access. Mac access is read only.";
        QTest::newRow("agent task, access off")
            << "/mac in 2 seconds describe the screen" << int(MacAccessLevel::off) << accessOff;
    }
    void scheduledTasksAreRecheckedWhenTheyRun()
    {
        QFETCH(QString, command);
        QFETCH(int, levelAtTime);
        QFETCH(QString, reply);
        AppHarness &h = start(MacAccessLevel::full);
        writeFakeTool("systemctl", 0);
        h.alerts.script.push_back(ScriptedAlerts::button(0));
        inject(command);
        QVERIFY(waitForSent("Scheduled "));
        h.app->macAccess()->setMacAccess(MacAccessLevel(levelAtTime));
        m_clockOffsetMs += 3000;
        QCOMPARE(m_scheduled.endAll(), 1);
        QVERIFY(waitForSent(reply));
        QTest::qWait(300);
        QVERIFY(!agentWasStarted());
        QVERIFY(toolArguments("systemctl").isEmpty());
        QVERIFY(sent().filter("▸ Mac task started").isEmpty());
    }

    void watchdogEndsASilentTaskAndTheLateResultIsReported()
    {
        m_watchdog = 500ms;
        AppHarness &h = start(MacAccessLevel::full);
        scriptAgent(agentAnswer("Late but done.", 2.0));
        h.alerts.script.push_back(ScriptedAlerts::button(0));
        inject("/mac describe the screen");
        QVERIFY(waitForSent("✕ Mac task timed out before Peekaboo reported a result."));
        QCOMPARE(h.app->botFace()->statusText(), QString("Mac task timed out."));
        QVERIFY(!h.app->macTasks()->macTaskRunning());
        QVERIFY(waitForSent("✓ Mac task finished\n\nLate but done."));
    }

    void systemActionFailureIsReported_data()
    {
        QTest::addColumn<QString>("error");
        QTest::addColumn<QString>("reply");
        QTest::newRow("error text") << "Access denied"
                                    << "⚠️ Lock failed\n\nAccess denied";
        QTest::newRow("status only") << ""
                                     << "⚠️ Lock failed\n\nloginctl exited with status 1.";
    }
    void systemActionFailureIsReported()
    {
        QFETCH(QString, error);
        QFETCH(QString, reply);
        AppHarness &h = start(MacAccessLevel::full);
        writeFakeTool("loginctl", 1, error);
        h.alerts.script.push_back(ScriptedAlerts::button(0));
        inject("/mac lock the screen");
        QVERIFY(waitForSent("Locking the screen…"));
        QVERIFY(waitForSent(reply));
        QCOMPARE(h.app->botFace()->statusText(), QString("Mac action failed."));
    }
};

TESSALY_TEST_MAIN(TestMacTasks)
#include "test_mac_tasks.moc"
