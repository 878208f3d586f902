#include "AgentTestHome.h"
#include "support/TestMain.h"

#include "agent/PeekabooStatusLine.h"

#include <QThread>
#include <QtTest>

using namespace std::chrono_literals;

namespace {

const QString fakeNpx = QStringLiteral(TESSALY_FAKES_DIR "/npx");

PeekabooToolLocations npxOnly()
{
    PeekabooToolLocations locations;
    locations.npxExecutables = {fakeNpx};
    return locations;
}

PeekabooToolLocations nowhere()
{
    return PeekabooToolLocations{};
}

QStringList strings(const QJsonValue &value)
{
    QStringList list;
    for (const QJsonValue &item : value.toArray())
        list << item.toString();
    return list;
}

// Collects the one answer an operation gives, checking it arrives later and
// on the main thread.
template <typename T> struct Answer
{
    std::optional<T> value;
    int count = 0;
    bool onMainThread = true;

    std::function<void(const T &)> receiver()
    {
        return [this](const T &v) {
            value = v;
            ++count;
            onMainThread = onMainThread && QThread::currentThread() == QCoreApplication::instance()->thread();
        };
    }
    T wait()
    {
        [&] { QTRY_VERIFY_WITH_TIMEOUT(count > 0, 20000); }();
        return value.value_or(T{});
    }
};

} // namespace

class TestPeekabooSetup : public QObject
{
    Q_OBJECT

    std::unique_ptr<AgentTestHome> m_home;

    std::unique_ptr<PeekabooBridge> bridge(std::optional<PeekabooToolLocations> locations = std::nullopt,
                                           PeekabooSetup::Limits limits = {})
    {
        PeekabooBridge::Options options;
        options.locations = locations;
        options.setupLimits = limits;
        return m_home->bridge(options);
    }

    PeekabooAvailability check(PeekabooBridge &bridge)
    {
        Answer<PeekabooAvailability> answer;
        bridge.checkAvailability(answer.receiver());
        [&] { QCOMPARE(answer.count, 0); }();
        const PeekabooAvailability availability = answer.wait();
        [&] {
            QCOMPARE(answer.count, 1);
            QVERIFY(answer.onMainThread);
        }();
        return availability;
    }

    std::optional<QString> wait(const std::function<void(PeekabooSetup::ErrorCompletion)> &operation)
    {
        Answer<std::optional<QString>> answer;
        operation(answer.receiver());
        [&] { QCOMPARE(answer.count, 0); }();
        return answer.wait();
    }

private slots:
    void init() { m_home = std::make_unique<AgentTestHome>(); }
    void cleanup() { m_home.reset(); }

    void npxGetsTheLongerLimitAndTheDownload()
    {
        // The tool answers only after a while: long enough for npx's
        // limit, too long for a direct executable's.
        const QJsonObject screen{{"name", "screen-recording"}, {"isRequired", true}, {"isGranted", true}};
        const QJsonObject data{{"source", "fake"}, {"permissions", QJsonArray{screen}}};
        const QJsonObject granted{{"success", true}, {"data", data}};
        m_home->script({{"permissions", QJsonObject{{"delay", 0.6}, {"json", granted}}}});
        PeekabooSetup::Limits limits;
        limits.permissionsDirect = 150ms;
        limits.permissionsViaNpx = 20s;

        auto viaNpx = bridge(npxOnly(), limits);
        const PeekabooAvailability npx = check(*viaNpx);
        QCOMPARE(npx.installation, (PeekabooAvailability::Installation{
                                       PeekabooAvailability::Installation::Kind::npx, fakeNpx}));
        QCOMPARE(npx.error, std::nullopt);
        QCOMPARE(npx.source, QStringLiteral("fake"));
        QCOMPARE(npx.permissions.size(), 1);
        QCOMPARE(strings(m_home->calls().last()["rawArgv"]),
                 QStringList({"-y", "@fennick/peekaboo", "permissions", "--json", "--no-remote"}));

        auto direct = bridge(std::nullopt, limits);
        const PeekabooAvailability binary = check(*direct);
        QCOMPARE(binary.installation.kind, PeekabooAvailability::Installation::Kind::binary);
        QCOMPARE(binary.error, QStringLiteral("Peekaboo could not report its permissions."));
        QVERIFY(binary.permissions.isEmpty());

        m_home->forgetCalls();
        QCOMPARE(wait([&](auto done) { viaNpx->prefetch(done); }), std::nullopt);
        QCOMPARE(m_home->calls().size(), 1);
        QCOMPARE(strings(m_home->calls().first()["rawArgv"]),
                 QStringList({"-y", "@fennick/peekaboo", "--version"}));

        m_home->script({{"version", QJsonObject{{"exit", 7}}}});
        QCOMPARE(wait([&](auto done) { viaNpx->prefetch(done); }),
                 QStringLiteral("Peekaboo download failed (npx exited with 7)."));

        // Nothing to fetch for a direct executable or a missing tool.
        m_home->forgetCalls();
        QCOMPARE(wait([&](auto done) { direct->prefetch(done); }), std::nullopt);
        QCOMPARE(wait([&](auto done) { bridge(nowhere())->prefetch(done); }), std::nullopt);
        QVERIFY(m_home->calls().isEmpty());
    }

    void permissionListIsReadAsTheToolReportsIt()
    {
        const QJsonArray permissions{
            QJsonObject{{"name", "screen-recording"}, {"isRequired", true}, {"isGranted", false}},
            QJsonObject{{"name", "automation"}, {"isRequired", false}, {"isGranted", false}},
            QJsonObject{{"name", "accessibility"}, {"isRequired", true}, {"isGranted", true}},
            QJsonObject{{"isRequired", true}, {"isGranted", false}},
            QJsonObject{{"name", "input-monitoring"}, {"isRequired", "yes"}, {"isGranted", false}},
            QJsonObject{{"name", "camera"}, {"isRequired", true}},
        };
        m_home->script(
            {{"permissions",
              QJsonObject{{"json", QJsonObject{{"success", true},
                                               {"data", QJsonObject{{"source", "bridge"},
                                                                    {"permissions", permissions}}}}}}}});
        const PeekabooAvailability availability = check(*bridge());
        QCOMPARE(availability.error, std::nullopt);
        QCOMPARE(availability.source, QStringLiteral("bridge"));
        QStringList names;
        for (const auto &p : availability.permissions)
            names << p.name;
        QCOMPARE(names, QStringList({"screen-recording", "automation", "accessibility", "input-monitoring",
                                     "camera"}));
        QStringList missing;
        for (const auto &p : availability.missingPermissions())
            missing << p.name;
        QCOMPARE(missing, QStringList({"screen-recording", "camera"}));
        QCOMPARE(
            PeekabooStatusLine::from(availability),
            (PeekabooStatusLine{PeekabooStatusLine::Dot::orange,
                                "Peekaboo needs screen-recording, camera. Grant access in the macOS prompts.",
                                PeekabooStatusLine::StatusAction::grant, "Grant Permissions"}));
    }

    void unreadableAnswersGiveTheirTexts_data()
    {
        QTest::addColumn<QJsonObject>("answer");
        QTest::addColumn<QString>("error");
        QTest::newRow("success false, no message") << QJsonObject{{"json", QJsonObject{{"success", false}}}}
                                                   << "Peekaboo returned no permission information.";
        QTest::newRow("success false, message")
            << QJsonObject{{"json",
                            QJsonObject{{"success", false},
                                        {"error", QJsonObject{{"message", "Bridge host unreachable"}}}}}}
            << "Bridge host unreachable";
        QTest::newRow("plain text with an error")
            << QJsonObject{{"stdout", "Usage: peekaboo …\n"},
                           {"stderr", QJsonArray{"", "unknown flag --json", ""}}}
            << "unknown flag --json";
        QTest::newRow("nothing at all")
            << QJsonObject{{"stdout", ""}, {"exit", 1}} << "Peekaboo could not report its permissions.";
    }

    void unreadableAnswersGiveTheirTexts()
    {
        QFETCH(QJsonObject, answer);
        QFETCH(QString, error);
        m_home->script({{"permissions", answer}});
        const PeekabooAvailability availability = check(*bridge());
        QCOMPARE(availability.error, error);
        QVERIFY(availability.permissions.isEmpty());
        QCOMPARE(PeekabooStatusLine::from(availability),
                 (PeekabooStatusLine{
                     PeekabooStatusLine::Dot::red, error, PeekabooStatusLine::StatusAction::none, {}}));
    }

    void permissionRequestsStopAtTheFirstRefusal()
    {
        auto tool = bridge();
        QCOMPARE(wait([&](auto done) { tool->requestPermissions(done); }), std::nullopt);
        QStringList requested;
        for (const auto &call : m_home->calls())
            requested << strings(call["argv"]).join(u' ');
        QCOMPARE(requested, QStringList({"permissions request screen-recording --json --no-remote",
                                         "permissions request accessibility --json --no-remote"}));

        m_home->forgetCalls();
        m_home->script({{"permission-request:screen-recording", QJsonObject{{"exit", 1}}}});
        QCOMPARE(wait([&](auto done) { tool->requestPermissions(done); }),
                 QStringLiteral("Could not request screen-recording."));
        QCOMPARE(m_home->calls().size(), 1);

        m_home->forgetCalls();
        QCOMPARE(wait([&](auto done) { bridge(nowhere())->requestPermissions(done); }),
                 QStringLiteral("Peekaboo is not installed."));
        QVERIFY(m_home->calls().isEmpty());
    }

    // What the settings window shows for each kind of answer; on Linux the
    // tool lists no permissions, so a working tool reads as ready.
    void statusLineFollowsTheAnswer()
    {
        using Kind = PeekabooAvailability::Installation::Kind;
        using Line = PeekabooStatusLine;
        const PeekabooAvailability missing = check(*bridge(nowhere()));
        QCOMPARE(missing.installation.kind, Kind::missing);
        QCOMPARE(Line::from(missing),
                 (Line{Line::Dot::red, "Peekaboo is not installed and npx was not found.",
                       Line::StatusAction::guide, "Install Guide"}));

        m_home->script(
            {{"permissions",
              QJsonObject{{"json", QJsonObject{{"success", true},
                                               {"data", QJsonObject{{"permissions", QJsonArray{}}}}}}}}});
        QCOMPARE(Line::from(check(*bridge())), (Line{Line::Dot::green,
                                                     "Peekaboo is ready (installed, permissions granted).",
                                                     Line::StatusAction::none,
                                                     {}}));

        m_home->script({{"permissions", QJsonObject{{"stdout", ""}, {"exit", 1}}}});
        QCOMPARE(Line::from(check(*bridge(npxOnly()))),
                 (Line{Line::Dot::yellow, "Peekaboo will download through npx on first use.",
                       Line::StatusAction::download, "Download Peekaboo"}));
    }
};

TESSALY_TEST_GUILESS_MAIN(TestPeekabooSetup)
#include "test_peekaboosetup.moc"
