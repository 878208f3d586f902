// The diagram client without the real helper: the disk cache's bounds and
// damage, and what a missing or silent helper leaves the caller with.
#include "chat/MermaidDiagramCache.h"
#include "chat/MermaidProtocol.h"
#include "chat/MermaidRenderer.h"
#include "support/TestMain.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

namespace {

MermaidPicture pictureOf(int bytes)
{
    return {QByteArray("<svg/>"), QByteArray(bytes, 'p'), QSizeF(100, 50)};
}

struct Outcome
{
    bool done = false;
    MermaidRenderer::Result result;
};

void ask(MermaidRenderer &renderer, const QString &source, QObject *context, Outcome &outcome)
{
    renderer.render({source, true, 1}, context, [&outcome](const MermaidRenderer::Result &result) {
        outcome.done = true;
        outcome.result = result;
    });
}

} // namespace

class TestMermaidRenderer : public QObject
{
    Q_OBJECT
private slots:
    void cacheKeepsFilesAndStaysUnderItsLimit()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath("diagrams");
        {
            MermaidDiagramCache cache(folder, 10000);
            cache.store("a", pictureOf(3000));
            const auto found = cache.find("a");
            QVERIFY(found);
            QCOMPARE(found->png, pictureOf(3000).png);
            QCOMPARE(found->size, QSizeF(100, 50));
            QVERIFY(!cache.find("missing"));
        }
        // A later run sees what an earlier one stored, and prunes the least recently used.
        MermaidDiagramCache cache(folder, 10000);
        QVERIFY(cache.find("a"));
        cache.store("b", pictureOf(3000));
        QFile b(folder + "/b.diagram");
        QVERIFY(b.open(QIODevice::ReadWrite));
        b.setFileTime(QDateTime::currentDateTimeUtc().addSecs(-3600), QFileDevice::FileModificationTime);
        b.close();
        cache.store("c", pictureOf(3000));
        cache.store("d", pictureOf(3000));
        QVERIFY(!cache.find("b"));
        QVERIFY(cache.find("d"));
        qint64 total = 0;
        for (const QFileInfo &info : QDir(folder).entryInfoList(QDir::Files))
            total += info.size();
        QVERIFY2(total <= 10000, qPrintable(QString::number(total)));
        // Larger than the whole cache: not kept at all.
        cache.store("huge", pictureOf(20000));
        QVERIFY(!cache.find("huge"));
    }

    void damagedCacheFileIsDrawnAgain()
    {
        QTemporaryDir dir;
        MermaidDiagramCache cache(dir.path(), 1 << 20);
        cache.store("k", pictureOf(10));
        QFile file(dir.filePath("k.diagram"));
        QVERIFY(file.open(QIODevice::ReadWrite));
        file.resize(7);
        file.close();
        QVERIFY(!cache.find("k"));
        QVERIFY(!QFile::exists(dir.filePath("k.diagram")));
    }

    void keyFollowsSourceAppearanceAndScale()
    {
        const MermaidRenderer::Request base{"graph TD; A-->B", true, 1};
        QCOMPARE(MermaidRenderer::cacheKey(base), MermaidRenderer::cacheKey(base));
        QVERIFY(MermaidRenderer::cacheKey(base) != MermaidRenderer::cacheKey({base.source, false, 1}));
        QVERIFY(MermaidRenderer::cacheKey(base) != MermaidRenderer::cacheKey({base.source, true, 2}));
        QVERIFY(MermaidRenderer::cacheKey(base) != MermaidRenderer::cacheKey({"graph TD; A-->C", true, 1}));
    }

    void protocolCarriesAnySourceAndRejectsGarbage()
    {
        MermaidProtocol::Request request;
        request.id = 42;
        request.source = QStringLiteral("graph TD\n  A[\"</script>\"] --> B\u2028'q'\\");
        request.light = false;
        request.devicePixelRatio = 2;
        const QByteArray line = MermaidProtocol::encodeRequest(request);
        QCOMPARE(line.count('\n'), 1);
        QVERIFY(line.endsWith('\n'));
        const auto back = MermaidProtocol::decodeRequest(line);
        QVERIFY(back);
        QCOMPARE(back->source, request.source);
        QCOMPARE(back->light, false);
        QCOMPARE(back->devicePixelRatio, 2.0);
        for (const QByteArray &bad : {QByteArray("{"), QByteArray("[]"), QByteArray(R"({"id":-1,"source":"x"})"),
                                      QByteArray(R"({"id":1})"), QByteArray(R"({"id":1,"svg":""})")}) {
            QVERIFY2(!MermaidProtocol::decodeRequest(bad) || bad.contains("svg"), bad.constData());
            QVERIFY2(!MermaidProtocol::decodeReply(bad), bad.constData());
        }
        QByteArray buffer("one\ntwo\nthr");
        QCOMPARE(MermaidProtocol::takeLines(buffer), QList<QByteArray>({"one", "two"}));
        QCOMPARE(buffer, QByteArray("thr"));
    }

    void missingHelperFailsEveryWaitingDiagram()
    {
        QTemporaryDir dir;
        MermaidRenderer::Options options;
        options.helperPath = dir.filePath("no-such-helper");
        MermaidRenderer renderer(options);
        QObject context;
        Outcome first, second;
        ask(renderer, "graph TD; A-->B", &context, first);
        ask(renderer, "graph TD; C-->D", &context, second);
        QTRY_VERIFY(first.done && second.done);
        QVERIFY(!first.result.picture);
        QCOMPARE(first.result.error, QStringLiteral("the diagram helper is not installed"));
        QCOMPARE(renderer.helperLaunches(), 0);
    }

    void silentHelperIsKilledAndTheQueueMovesOn()
    {
        MermaidRenderer::Options options;
        options.helperPath = QStringLiteral(TESSALY_FAKES_DIR "/mermaid-silent");
        options.answerTimeout = std::chrono::milliseconds(300);
        MermaidRenderer renderer(options);
        QSignalSpy started(&renderer, &MermaidRenderer::helperStarted);
        QSignalSpy stopped(&renderer, &MermaidRenderer::helperStopped);
        QObject context;
        Outcome first, second, gone;
        ask(renderer, "graph TD; A-->B", &context, first);
        ask(renderer, "graph TD; C-->D", &context, second);
        {
            // A caller that went away in the meantime is not called.
            QObject shortLived;
            ask(renderer, "graph TD; E-->F", &shortLived, gone);
        }
        QTRY_VERIFY_WITH_TIMEOUT(first.done, 10000);
        QCOMPARE(first.result.error, QStringLiteral("drawing took too long"));
        const qint64 firstPid = started.value(0).value(0).toLongLong();
        QVERIFY(firstPid > 0);
        QTRY_VERIFY_WITH_TIMEOUT(stopped.size() >= 1, 10000);
        QVERIFY(::kill(pid_t(firstPid), 0) != 0); // the stuck one is gone
        // The next diagram goes to a new helper (which is silent too).
        QTRY_VERIFY_WITH_TIMEOUT(second.done, 10000);
        QCOMPARE(second.result.error, QStringLiteral("drawing took too long"));
        QVERIFY(renderer.helperLaunches() >= 2);
        QTRY_COMPARE_WITH_TIMEOUT(stopped.size(), 3, 15000);
        QVERIFY(!gone.done);
        // A failure is remembered: asking again answers at once, without a helper.
        const int launches = renderer.helperLaunches();
        Outcome again;
        ask(renderer, "graph TD; A-->B", &context, again);
        QTRY_VERIFY(again.done);
        QCOMPARE(again.result.error, QStringLiteral("drawing took too long"));
        QCOMPARE(renderer.helperLaunches(), launches);
    }
};

TESSALY_TEST_GUILESS_MAIN(TestMermaidRenderer)
#include "test_mermaidrenderer.moc"
