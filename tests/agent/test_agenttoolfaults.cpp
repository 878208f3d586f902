#include "AgentTestHome.h"
#include "support/TestMain.h"

#include "agent/PeekabooKeychain.h"

#include <QElapsedTimer>
#include <QtTest>

using namespace std::chrono_literals;

namespace {

struct Outcome
{
    PeekabooResult result;
    int completions = 0;
    QStringList steps;
};

QByteArray hex(const QByteArray &bytes)
{
    return bytes.toHex();
}

} // namespace

// The agent tool misbehaving in the ways a real one can: each run still ends
// with exactly one result, the log stays bounded and nothing is left behind.
class TestAgentToolFaults : public QObject
{
    Q_OBJECT

    std::unique_ptr<AgentTestHome> m_home;

    Outcome run(PeekabooBridge &bridge, const QString &task, const std::function<void()> &onStep = {})
    {
        Outcome outcome;
        bridge.run(
            task, MacAccessLevel::full,
            [&outcome, onStep](const QString &step) {
                outcome.steps << step;
                if (onStep)
                    onStep();
            },
            [&outcome](const PeekabooResult &result) {
                outcome.result = result;
                ++outcome.completions;
            });
        [&] { QTRY_VERIFY_WITH_TIMEOUT(outcome.completions > 0, 60000); }();
        [&] { QTRY_VERIFY(m_home->temporaryFiles().isEmpty()); }();
        [&] { QTRY_VERIFY(!bridge.isRunning()); }();
        return outcome;
    }

    void checkLogBounded()
    {
        const QString log = m_home->log->read();
        QVERIFY(log.size() <= PeekabooLog::sizeLimit);
    }

private slots:
    void init()
    {
        m_home = std::make_unique<AgentTestHome>();
        PeekabooKeychain(m_home->secrets).save("sk-test", PeekabooProvider::openai);
    }
    void cleanup() { m_home.reset(); }

    void toolThatCannotStart()
    {
        // Found where npx caches it, but its interpreter is gone.
        const QString cached = m_home->home() + "/.npm/_npx/0000/node_modules/@fennick/peekaboo/peekaboo";
        QDir().mkpath(QFileInfo(cached).path());
        QFile script(cached);
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/nonexistent/interpreter\n");
        script.close();
        script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
        auto bridge = m_home->bridge();
        QCOMPARE(bridge->executable()->path, cached);

        const Outcome outcome = run(*bridge, "look");
        QCOMPARE(outcome.completions, 1);
        QVERIFY2(outcome.result.text.startsWith("Could not start Peekaboo: "),
                 qPrintable(outcome.result.text));
        QVERIFY(!outcome.result.succeeded);
        QVERIFY(m_home->log->read().contains("START FAILED: "));
    }

    void killedBySignal_data()
    {
        QTest::addColumn<QJsonObject>("answer");
        QTest::addColumn<PeekabooResult>("result");
        QTest::newRow("SIGKILL, silent") << QJsonObject{{"stdout", ""}, {"signal", 9}}
                                         << PeekabooResult{false, "Peekaboo exited with status 9.", false};
        QTest::newRow("SIGSEGV mid-sentence")
            << QJsonObject{{"stdout", "Looking at the scre"}, {"signal", 11}}
            << PeekabooResult{false, "Looking at the scre", false};
        QTest::newRow("SIGABRT with a complaint")
            << QJsonObject{{"stdout", ""}, {"stderr", QJsonArray{"fatal: bridge crashed"}}, {"signal", 6}}
            << PeekabooResult{false, "fatal: bridge crashed", false};
    }

    void killedBySignal()
    {
        QFETCH(QJsonObject, answer);
        QFETCH(PeekabooResult, result);
        m_home->script({{"agent", answer}});
        auto bridge = m_home->bridge();
        const Outcome outcome = run(*bridge, "look");
        QCOMPARE(outcome.completions, 1);
        QCOMPARE(outcome.result, result);
        QVERIFY(m_home->log->read().contains(QStringLiteral("EXIT %1 in ").arg(answer["signal"].toInt())));
    }

    void fiftyMegabytesOfOutput()
    {
        m_home->script(
            {{"agent", QJsonObject{{"flood", 50 * 1024 * 1024},
                                   {"json", QJsonObject{{"success", true},
                                                        {"result", QJsonObject{{"content", "Done"}}}}}}}});
        auto bridge = m_home->bridge();
        const Outcome outcome = run(*bridge, "print everything");
        QCOMPARE(outcome.completions, 1);
        QVERIFY(outcome.result.text.size() <= PeekabooTool::captureLimit);
        QVERIFY(m_home->log->read().contains("(output cut at 8 MiB)"));
        checkLogBounded();

        // The run after it is unaffected.
        m_home->script({});
        QCOMPARE(run(*bridge, "again").result, (PeekabooResult{true, "OK", false}));
    }

    void invalidUtf8()
    {
        auto bridge = m_home->bridge();
        // Broken bytes in a progress line, then another line: both steps show.
        m_home->script(
            {{"agent", QJsonObject{{"stdout", ""},
                                   {"stderrHex", QString::fromLatin1(hex("Reading \xc3\x28 menu\n"))},
                                   {"stderr", QJsonArray{"Clicking Save"}},
                                   {"interval", 0.2},
                                   {"sleep", 10}}}});
        PeekabooBridge *b = bridge.get();
        const Outcome progress = run(*bridge, "save it", [b, &progress] {
            if (progress.steps.contains("Clicking Save"))
                b->cancel();
        });
        QVERIFY(progress.steps.contains("Clicking Save"));
        QCOMPARE(progress.result.text, QStringLiteral("Mac task cancelled."));

        // A Latin-1 "é" inside the JSON answer.
        const QByteArray answer = "{\"success\": true, \"result\": {\"content\": \"Caf\xe9 open\"}}\n";
        m_home->script({{"agent", QJsonObject{{"stdoutHex", QString::fromLatin1(hex(answer))}}}});
        const Outcome outcome = run(*bridge, "open the café");
        QCOMPARE(outcome.completions, 1);
        QCOMPARE(outcome.result, (PeekabooResult{true, QStringLiteral("Caf\uFFFD open"), false}));

        m_home->script(
            {{"agent", QJsonObject{{"stdoutHex", QString::fromLatin1(hex("\xff\xfe plain \xc0\n"))}}}});
        const Outcome plain = run(*bridge, "again");
        QCOMPARE(plain.result.succeeded, true);
        QCOMPARE(plain.result.text, QStringLiteral("\uFFFD\uFFFD plain \uFFFD"));
        checkLogBounded();
    }
};

TESSALY_TEST_GUILESS_MAIN(TestAgentToolFaults)
#include "test_agenttoolfaults.moc"
