#include "AgentTestHome.h"
#include "ProcessProbe.h"
#include "support/TestMain.h"

#include "agent/PeekabooKeychain.h"

#include <QJsonArray>
#include <QtTest>

using namespace std::chrono_literals;

namespace {

const QString secret = QStringLiteral("sk-test-5ecret-value-0042");

struct Outcome
{
    PeekabooResult result;
    int completions = 0;
    QStringList steps;
};

QJsonObject answer(const QJsonObject &fields)
{
    return fields;
}

QJsonObject failureJson(const QString &message, const QString &code = QString())
{
    QJsonObject error{{"message", message}};
    if (!code.isEmpty())
        error.insert("code", code);
    return QJsonObject{{"success", false}, {"error", error}};
}

} // namespace

class TestPeekabooBridge : public QObject
{
    Q_OBJECT

    std::unique_ptr<AgentTestHome> m_home;

    // Runs a task and waits for its completion, then a little longer to make
    // sure no second completion follows.
    Outcome run(PeekabooBridge &bridge, const QString &task, MacAccessLevel access = MacAccessLevel::full,
                const std::function<void(Outcome &)> &onStep = {})
    {
        Outcome outcome;
        bridge.run(
            task, access,
            [&outcome, onStep](const QString &step) {
                outcome.steps << step;
                if (onStep)
                    onStep(outcome);
            },
            [&outcome](const PeekabooResult &result) {
                outcome.result = result;
                ++outcome.completions;
            });
        // Never synchronously.
        [&] { QCOMPARE(outcome.completions, 0); }();
        [&] { QTRY_VERIFY_WITH_TIMEOUT(outcome.completions > 0, 20000); }();
        QTest::qWait(150);
        return outcome;
    }

private slots:
    void init()
    {
        m_home = std::make_unique<AgentTestHome>();
        PeekabooKeychain(m_home->secrets).save(secret, PeekabooProvider::openai);
    }
    void cleanup() { m_home.reset(); }

    void keyTravelsOnlyInTheChildsEnvironment()
    {
        auto bridge = m_home->bridge();
        QStringList filesWithKeyWhileRunning;
        QStringList temporaryWhileRunning;
        m_home->script(
            {{"agent", answer({{"json", QJsonObject{{"success", true},
                                                    {"result", QJsonObject{{"content", "Done it"}}}}},
                               {"stderr", QJsonArray{"working"}},
                               {"sleep", 0.6}})}});
        qputenv("ANTHROPIC_API_KEY", "inherited-other-key");
        const Outcome outcome = run(*bridge, "check my mail", MacAccessLevel::full, [&](Outcome &) {
            filesWithKeyWhileRunning = m_home->filesContaining(secret.toUtf8());
            temporaryWhileRunning = m_home->temporaryFiles();
        });
        qunsetenv("ANTHROPIC_API_KEY");

        QCOMPARE(outcome.completions, 1);
        QCOMPARE(outcome.result, (PeekabooResult{true, "Done it", false}));
        QCOMPARE(outcome.steps, QStringList{"working"});
        QVERIFY2(filesWithKeyWhileRunning.isEmpty(), qPrintable(filesWithKeyWhileRunning.join(u',')));
        QCOMPARE(temporaryWhileRunning.size(), 2);
        QVERIFY(
            temporaryWhileRunning.filter(QRegularExpression("^peekaboo-[0-9a-f-]{36}\\.(out|err)$")).size() ==
            2);

        const auto calls = m_home->calls();
        QCOMPARE(calls.size(), 1);
        const QJsonObject call = calls.first();
        const QJsonObject env = call["env"].toObject();
        QCOMPARE(env["OPENAI_API_KEY"].toString(), secret);
        QCOMPARE(env["NO_COLOR"].toString(), QStringLiteral("1"));
        QCOMPARE(env["PATH"].toString(), ProcessRunner::fixedSearchPath);
        QCOMPARE(env["ANTHROPIC_API_KEY"].toString(), QStringLiteral("inherited-other-key"));
        QVERIFY(!QJsonDocument(call["argv"].toArray()).toJson().contains(secret.toUtf8()));
        QVERIFY(call["stdout"].toString().startsWith(m_home->tempFolder() + "/peekaboo-"));
        QVERIFY(call["stderr"].toString().endsWith(".err"));

        QVERIFY(m_home->temporaryFiles().isEmpty());
        QVERIFY(!m_home->log->read().contains(secret));
        QVERIFY(m_home->filesContaining(secret.toUtf8()).isEmpty());
    }

    void commandLineFollowsTheAccessLevel()
    {
        auto bridge = m_home->bridge();
        m_home->settings->setBool("peekabooShowAgentPointer", true);
        m_home->settings->setString("peekabooModel.openai", "gpt-test");
        QDir().mkpath(m_home->home() + "/.agents");

        run(*bridge, "look around", MacAccessLevel::full);
        run(*bridge, "look around", MacAccessLevel::readOnly);
        run(*bridge, "look around", MacAccessLevel::off);
        const auto calls = m_home->calls();
        QCOMPARE(calls.size(), 3);
        QStringList argv[3];
        for (int i = 0; i < 3; ++i) {
            for (const auto &v : calls[i]["argv"].toArray())
                argv[i] << v.toString();
            QCOMPARE(argv[i].mid(0, 1), QStringList{"agent"});
            QCOMPARE(argv[i].mid(2, 3), QStringList({"--json", "--no-cache", "--no-remote"}));
            QVERIFY(argv[i].join(u' ').endsWith("--model gpt-test"));
            QVERIFY(argv[i][1].endsWith("\n\nTask: look around"));
            QCOMPARE(calls[i]["cwd"].toString(), m_home->home() + "/.agents");
        }
        QVERIFY(argv[0].contains("--allow-foreground"));
        QVERIFY(argv[0][1].contains("POINTER FEEDBACK."));
        QVERIFY(!argv[0][1].contains("READ-ONLY TASK."));
        QVERIFY(!argv[1].contains("--allow-foreground"));
        QVERIFY(argv[1][1].startsWith("READ-ONLY TASK."));
        QVERIFY(!argv[1][1].contains("POINTER FEEDBACK."));
        QVERIFY(!argv[2].contains("--allow-foreground"));
        QVERIFY(argv[2][1].startsWith("YOU ARE OPERATING THIS MAC."));

        const QString log = m_home->log->read();
        QVERIFY(log.contains(
            "] RUN agent access=full model=gpt-test timeout=360s pointer=on\ntask: look around\n"));
        QVERIFY(log.contains("] RUN agent access=read-only model=gpt-test timeout=360s pointer=off\n"));
        QVERIFY(log.contains("] EXIT 0 in "));
    }

    void longTasksAreClippedInTheLog()
    {
        auto bridge = m_home->bridge();
        const QString task = QString(401, u'q');
        run(*bridge, task);
        QVERIFY(m_home->log->read().contains("task: " + QString(400, u'q') +
                                             "\n…(truncated, 1 characters omitted)\n"));
    }

    void cancelWinsOverAnAnswerAlreadyPrinted()
    {
        auto bridge = m_home->bridge();
        m_home->script(
            {{"agent", answer({{"json", QJsonObject{{"success", true},
                                                    {"result", QJsonObject{{"content", "Too late"}}}}},
                               {"stderr", QJsonArray{"answer printed"}},
                               {"sleep", 30}})}});
        PeekabooBridge *b = bridge.get();
        const Outcome outcome = run(*bridge, "wait", MacAccessLevel::full, [b](Outcome &) { b->cancel(); });
        QCOMPARE(outcome.completions, 1);
        QCOMPARE(outcome.result, (PeekabooResult{false, "Mac task cancelled.", false}));
        const QString log = m_home->log->read();
        QVERIFY(log.contains("] CANCEL requested, stopping the agent\n"));
        // The answer is logged but not delivered.
        QVERIFY2(log.contains(QRegularExpression(R"(\] EXIT 15 in [0-9.]+s \(cancelled\)\n\{.*Too late)")),
                 qPrintable(log));
        QVERIFY(m_home->temporaryFiles().isEmpty());
        QVERIFY(!bridge->isRunning());
    }

    void timeLimitHasItsOwnText()
    {
        PeekabooBridge::Options options;
        options.agentTimeLimit = 700ms;
        auto bridge = m_home->bridge(options);
        m_home->script({{"agent", answer({{"json", QJsonObject{{"success", true}}}, {"sleep", 30}})}});
        const Outcome outcome = run(*bridge, "wait");
        QCOMPARE(outcome.completions, 1);
        QCOMPARE(outcome.result, (PeekabooResult{false, "Mac task timed out after 6 minutes.", false}));
        const QString log = m_home->log->read();
        QVERIFY(log.contains("] TIMEOUT after 0s, stopping the agent\n"));
        QVERIFY(log.contains(" (timed out)\n"));
        QVERIFY(!log.contains("CANCEL"));
        QVERIFY(m_home->temporaryFiles().isEmpty());
    }

    // npx runs the tool as its own child; stopping the run must end both, even
    // when they ignore the polite signal.
    void stoppingAnAgentBehindNpxEndsItsWholeProcessGroup_data()
    {
        QTest::addColumn<bool>("byTimeLimit");
        QTest::addColumn<QString>("text");
        QTest::newRow("cancel") << false << "Mac task cancelled.";
        QTest::newRow("time limit") << true << "Mac task timed out after 6 minutes.";
    }
    void stoppingAnAgentBehindNpxEndsItsWholeProcessGroup()
    {
        QFETCH(bool, byTimeLimit);
        QFETCH(QString, text);
        PeekabooBridge::Options options;
        options.locations = PeekabooToolLocations{{}, {}, {QStringLiteral(TESSALY_FAKES_DIR "/npx")}};
        options.killGrace = 300ms;
        if (byTimeLimit)
            options.agentTimeLimit = 2s;
        auto bridge = m_home->bridge(options);
        QVERIFY(bridge->executable()->viaNpx());
        m_home->script({{"agent", answer({{"stderr", QJsonArray{"working"}}, {"sleep", 30}})}});
        PeekabooBridge *b = bridge.get();
        const Outcome outcome = run(*bridge, "wait", MacAccessLevel::full, [b, byTimeLimit](Outcome &) {
            if (!byTimeLimit)
                b->cancel();
        });
        QCOMPARE(outcome.result, (PeekabooResult{false, text, false}));

        const auto calls = m_home->calls();
        QVERIFY2(calls.size() == 1, "the fake agent did not start before the run was stopped");
        const qint64 tool = calls[0]["pid"].toInteger();
        const qint64 npx = calls[0]["ppid"].toInteger();
        QTRY_VERIFY_WITH_TIMEOUT(!processRunning(tool) && !processRunning(npx), 5000);
        // npx led a group of its own, apart from this program's.
        QCOMPARE(calls[0]["pgid"].toInteger(), npx);
        QVERIFY(npx != qint64(::getpgrp()));
    }

    void statusFifteenAloneIsACancellation()
    {
        auto bridge = m_home->bridge();
        m_home->script({{"agent", answer({{"json", QJsonObject{{"success", true}}}, {"exit", 15}})}});
        const Outcome outcome = run(*bridge, "x");
        QCOMPARE(outcome.result, (PeekabooResult{false, "Mac task cancelled.", false}));
        QVERIFY(m_home->log->read().contains("] EXIT 15 in "));
    }

    void failuresGetAdvice_data()
    {
        QTest::addColumn<QJsonObject>("reply");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("unavailable");
        QTest::newRow("sign-in lost")
            << answer({{"json", failureJson("OpenAI OAuth token expired")}})
            << "ChatGPT sign-in is missing or has expired. Open Settings, choose OpenAI "
               "(ChatGPT sign-in), then sign in again."
            << false;
        QTest::newRow("no credit") << answer({{"json", failureJson("HTTP 402: insufficient balance")}})
                                   << "OpenAI has no credit left. Top up the OpenAI account, then try again."
                                   << false;
        QTest::newRow("reply too long")
            << answer({{"json", failureJson("finish reason 'length'")}})
            << "The model ran out of reply space before it finished. Ask for a shorter "
               "result, or switch to a model with a bigger reply limit."
            << false;
        QTest::newRow("key rejected")
            << answer({{"json", failureJson("Invalid API key")}})
            << "OpenAI rejected the API key. Save a new key in Settings, then try again." << false;
        QTest::newRow("rate limited on stderr")
            << answer({{"stderr", QJsonArray{"[t] ERROR: HTTP 429 Too Many Requests"}}, {"exit", 1}})
            << "OpenAI is rate limiting requests. Wait a minute, then try again." << false;
        QTest::newRow("capture failed")
            << answer({{"json", failureJson("Screen capture failed", "CAPTURE_FAILED")}})
            << "Screen capture failed" << true;
        QTest::newRow("plain output") << answer({{"stdout", "Done\n"}, {"exit", 1}}) << "Done" << false;
        QTest::newRow("nothing") << answer({{"exit", 2}}) << "Peekaboo exited with status 2." << false;
    }
    void failuresGetAdvice()
    {
        QFETCH(QJsonObject, reply);
        QFETCH(QString, text);
        QFETCH(bool, unavailable);
        m_home->settings->setBool("chatGPTSubscriptionSignedIn", true);
        auto bridge = m_home->bridge();
        m_home->script({{"agent", reply}});
        const Outcome outcome = run(*bridge, "x");
        QCOMPARE(outcome.result, (PeekabooResult{false, text, unavailable}));
        QCOMPARE(m_home->settings->plainBool("chatGPTSubscriptionSignedIn"),
                 !text.startsWith("ChatGPT sign-in"));
        QVERIFY(m_home->temporaryFiles().isEmpty());
    }

    void stepsSkipRepeatsAndBlanks()
    {
        auto bridge = m_home->bridge();
        m_home->script(
            {{"agent",
              answer({{"stderr",
                       QJsonArray{"\u001b[2m[12:00:01]\u001b[0m \u001b[32mINFO\u001b[0m: Looking", "", "   ",
                                  "[12:00:02] DEBUG: Looking", "\t", "\u001b[1mClicking OK\u001b[0m"}},
                      {"interval", 0.35},
                      {"sleep", 0.5},
                      {"json", QJsonObject{{"success", true}}}})}});
        const Outcome outcome = run(*bridge, "x");
        QCOMPARE(outcome.steps, QStringList({"Looking", "Clicking OK"}));
        const QString log = m_home->log->read();
        QCOMPARE(log.count("] STEP Looking\n"), 1);
        QCOMPARE(log.count("] STEP Clicking OK\n"), 1);
    }

    void failuresBeforeTheAgentStarts()
    {
        PeekabooBridge::Options nowhere;
        nowhere.locations = PeekabooToolLocations{};
        auto missing = m_home->bridge(nowhere);
        QCOMPARE(
            run(*missing, "x").result.text,
            QStringLiteral("Peekaboo is not installed. Install it with `npm install -g @fennick/peekaboo` or "
                           "make npx available."));
        QVERIFY(m_home->log->read().contains("] SKIP agent run: Peekaboo is not installed\n"));

        auto bridge = m_home->bridge();
        m_home->settings->setString("peekabooProvider", "groq");
        QVERIFY(!bridge->hasCredential());
        QCOMPARE(run(*bridge, "x").result,
                 (PeekabooResult{
                     false, "No Peekaboo API key is stored. Add one in Settings, or sign in with ChatGPT.",
                     false}));
        QVERIFY(m_home->log->read().contains("] SKIP agent run: no API key for Groq\n"));
        QVERIFY(m_home->calls().isEmpty());

        // A tool that cannot be executed.
        const QString broken = m_home->root() + "/broken-peekaboo";
        QFile file(broken);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("#!/no/such/interpreter\n");
        file.close();
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        PeekabooBridge::Options brokenTool;
        brokenTool.locations = PeekabooToolLocations{{broken}, {}, {}};
        auto unstartable = m_home->bridge(brokenTool);
        m_home->settings->setString("peekabooProvider", "openai");
        const Outcome outcome = run(*unstartable, "x");
        QVERIFY(outcome.result.text.startsWith("Could not start Peekaboo: "));
        QVERIFY(m_home->log->read().contains("] START FAILED: "));
        QVERIFY(m_home->temporaryFiles().isEmpty());
    }

    void customProvidersAreRegisteredOnce()
    {
        auto bridge = m_home->bridge();
        m_home->settings->setString("peekabooProvider", "deepseek");
        PeekabooKeychain(m_home->secrets).save(secret, PeekabooProvider::deepseek);
        run(*bridge, "x");
        run(*bridge, "y");
        const auto calls = m_home->calls();
        QCOMPARE(calls.size(), 3);
        QCOMPARE(calls[0]["command"].toString(), QStringLiteral("provider-add"));
        QVERIFY(calls[0]["argv"].toArray().contains(QJsonValue("${DEEPSEEK_API_KEY}")));
        QVERIFY(!calls[0]["env"].toObject().contains("NO_COLOR"));
        QCOMPARE(calls[1]["command"].toString(), QStringLiteral("agent"));
        QCOMPARE(calls[2]["command"].toString(), QStringLiteral("agent"));
        QCOMPARE(calls[2]["env"].toObject()["DEEPSEEK_API_KEY"].toString(), secret);
        QVERIFY(calls[2]["argv"].toArray().contains(QJsonValue("deepseek/deepseek-v4-pro")));
        QVERIFY(m_home->filesContaining(secret.toUtf8()).isEmpty());
    }

    void captureRunForChecks()
    {
        auto bridge = m_home->bridge();
        const auto command = bridge->executable();
        QVERIFY(command);
        QVERIFY(!command->viaNpx());
        int status = 0;
        QByteArray out;
        QByteArray err;
        int completions = 0;
        auto capture = [&](const QString &path, const QStringList &args) {
            completions = 0;
            PeekabooTool::runAndCapture(path, args, 20s, {{"NO_COLOR", "1"}},
                                        [&](int s, const QByteArray &o, const QByteArray &e) {
                                            status = s;
                                            out = o;
                                            err = e;
                                            ++completions;
                                        });
            QTRY_VERIFY_WITH_TIMEOUT(completions == 1, 20000);
        };
        capture(command->path, command->prefixArguments + PeekabooTool::permissionsArguments());
        QCOMPARE(status, 0);
        QVERIFY(QJsonDocument::fromJson(out).object()["data"].toObject()["permissions"].isArray());
        QCOMPARE(m_home->calls().last()["argv"].toArray().size(), 3);

        capture(m_home->root() + "/missing-tool", {});
        QCOMPARE(status, -1);
        QVERIFY(!err.isEmpty());
        QVERIFY(m_home->temporaryFiles().isEmpty());
    }

    void connectionTest()
    {
        auto bridge = m_home->bridge();
        m_home->settings->setString("peekabooProvider", "groq");
        PeekabooResult result;
        int completions = 0;
        auto test = [&](const std::optional<QString> &model) {
            completions = 0;
            bridge->test(model, [&](const PeekabooResult &r) {
                result = r;
                ++completions;
            });
            QTRY_VERIFY_WITH_TIMEOUT(completions == 1, 20000);
        };
        test(std::nullopt);
        QCOMPARE(result, (PeekabooResult{false, "Add a Groq API key first.", false}));
        QVERIFY(m_home->calls().isEmpty());

        // The sign-in needs no key, and an inherited key variable is removed.
        m_home->settings->setString("peekabooProvider", "openaiSubscription");
        QVERIFY(bridge->hasCredential());
        qputenv("OPENAI_API_KEY", "inherited");
        test(QString("  "));
        qunsetenv("OPENAI_API_KEY");
        QCOMPARE(result, (PeekabooResult{true, "OK", false}));
        auto call = m_home->calls().last();
        QCOMPARE(call["command"].toString(), QStringLiteral("key-test"));
        QVERIFY(!call["env"].toObject().contains("OPENAI_API_KEY"));
        QVERIFY(call["argv"].toArray().contains(QJsonValue("gpt-5.6")));

        m_home->settings->setString("peekabooProvider", "openwebui");
        PeekabooKeychain(m_home->secrets).save(secret, PeekabooProvider::openwebui);
        m_home->script({{"key-test", answer({{"json", failureJson("HTTP 401 Unauthorized")}})}});
        test(QString("llama3"));
        QCOMPARE(
            result.text,
            QStringLiteral("Open WebUI rejected the API key. Save a new key in Settings, then try again."));
        call = m_home->calls().last();
        QVERIFY(call["argv"].toArray().contains(QJsonValue("openwebui/llama3")));
        QCOMPARE(call["env"].toObject()["OPENWEBUI_API_KEY"].toString(), secret);
        QVERIFY(m_home->temporaryFiles().isEmpty());
    }
};

TESSALY_TEST_GUILESS_MAIN(TestPeekabooBridge)
#include "test_peekaboobridge.moc"
