// Diagrams in message rows, drawn by the real tessaly-mermaid helper offscreen.
#include "chat/MermaidRenderer.h"
#include "support/TestMain.h"
#include "ui/CodeBlockView.h"
#include "ui/MermaidDiagramView.h"
#include "ui/TelegramMessageRow.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

#include <csignal>

namespace {

// A cold helper on a busy machine takes a while: the product cuts a hung one
// at 10 s, but tests running eight at a time on two cores may need longer.
constexpr int drawTimeoutMs = 30000;
constexpr std::chrono::milliseconds loadedMachineAnswerTimeout{drawTimeoutMs - 5000};

const QString flowchart =
    QStringLiteral("graph TD\n  A[Start] --> B{Works?}\n  B -->|yes| C[Ship]\n  B -->|no| D[Fix]");

BotMessage diagramMessage(const QString &source)
{
    BotMessage m;
    m.id = QStringLiteral("5");
    m.segments = {BotMessageSegment::makeCode(QStringLiteral("mermaid"), source)};
    m.text = source;
    m.date = 1700000000;
    return m;
}

struct Rows
{
    explicit Rows(const QString &cacheFolder, QString helperPath = QString())
        : Rows([&] {
              MermaidRenderer::Options options;
              options.cacheFolder = cacheFolder;
              options.helperPath = std::move(helperPath);
              options.answerTimeout = loadedMachineAnswerTimeout;
              return options;
          }())
    {
    }
    explicit Rows(const MermaidRenderer::Options &options) : renderer(options) {}

    // The row's one diagram.
    MermaidDiagramView *add(const QString &source, bool light = true)
    {
        MessageRowContext context;
        context.theme.light = light;
        context.diagrams = &renderer;
        rows.push_back(std::make_unique<TelegramMessageRow>(diagramMessage(source), context));
        rows.back()->resize(420, rows.back()->sizeHint().height());
        return rows.back()->diagrams().value(0);
    }

    MermaidRenderer renderer;
    std::vector<std::unique_ptr<TelegramMessageRow>> rows;
};

// Visible pixels of a picture: not blank, not a single colour.
int visiblePixels(const QImage &image)
{
    int count = 0;
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2)
            count += qAlpha(image.pixel(x, y)) > 0;
    return count;
}

// The characters of the SVG's text elements, as they would be drawn.
QString svgText(const QByteArray &svg)
{
    QString text;
    QXmlStreamReader reader(svg);
    int depth = 0;
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartElement:
            depth += reader.name() == QLatin1String("text");
            break;
        case QXmlStreamReader::EndElement:
            depth -= reader.name() == QLatin1String("text");
            break;
        case QXmlStreamReader::Characters:
            if (depth > 0)
                text += reader.text().toString() + u'|';
            break;
        default:
            break;
        }
    }
    return text;
}

bool hasElement(const QByteArray &svg, const QString &name)
{
    QXmlStreamReader reader(svg);
    while (!reader.atEnd()) {
        if (reader.readNext() == QXmlStreamReader::StartElement && reader.name() == name)
            return true;
    }
    return false;
}

} // namespace

class TestMermaidDiagrams : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        if (!QFileInfo(MermaidRenderer::defaultHelperPath()).isExecutable())
            QSKIP("built without Qt WebEngine: no diagram helper");
    }

    void flowchartDrawsInBothAppearances()
    {
        QTemporaryDir cache;
        Rows rows(cache.path());
        MermaidDiagramView *light = rows.add(flowchart, true);
        MermaidDiagramView *dark = rows.add(flowchart, false);
        QVERIFY(light && dark);
        // While drawing, the placeholder keeps the row's diagram height.
        QCOMPARE(light->state(), MermaidDiagramView::State::Drawing);
        QCOMPARE(light->height(), int(ChatStyle::Metrics::mermaidHeight));
        QTRY_COMPARE_WITH_TIMEOUT(light->state(), MermaidDiagramView::State::Picture, drawTimeoutMs);
        QTRY_COMPARE_WITH_TIMEOUT(dark->state(), MermaidDiagramView::State::Picture, drawTimeoutMs);
        QCOMPARE(light->height(), int(ChatStyle::Metrics::mermaidHeight));
        const QImage lightImage = light->renderedImage(QSize(200, 220));
        const QImage darkImage = dark->renderedImage(QSize(200, 220));
        QVERIFY(visiblePixels(lightImage) > 500);
        QVERIFY(visiblePixels(darkImage) > 500);
        QVERIFY(lightImage != darkImage);
        // One helper served both.
        QCOMPARE(rows.renderer.helperLaunches(), 1);
        const QImage shown = light->grab().toImage();
        QVERIFY(visiblePixels(shown) > 500);
        // All of the web engine stayed in the helper.
        QVERIFY(!QCoreApplication::testAttribute(Qt::AA_ShareOpenGLContexts));
        QFile maps(QStringLiteral("/proc/self/maps"));
        QVERIFY(maps.open(QIODevice::ReadOnly));
        QVERIFY(!maps.readAll().contains("WebEngine"));
    }

    void syntaxErrorShowsTheSourceWithANote()
    {
        QTemporaryDir cache;
        Rows rows(cache.path());
        const QString broken = QStringLiteral("graph TD\n  A[Start --> <b>B");
        MermaidDiagramView *view = rows.add(broken);
        QTRY_COMPARE_WITH_TIMEOUT(view->state(), MermaidDiagramView::State::Failed, drawTimeoutMs);
        QVERIFY(view->failureNote());
        QCOMPARE(view->failureNote()->textFormat(), Qt::PlainText);
        QVERIFY2(view->failureNote()->text().startsWith("Diagram could not be drawn: Parse error"),
                 qPrintable(view->failureNote()->text()));
        QVERIFY(view->codeBlock());
        QCOMPARE(view->codeBlock()->source(), broken);
        // The code box sets the height now, not the diagram's fixed one.
        QVERIFY(view->maximumHeight() > int(ChatStyle::Metrics::mermaidHeight));
    }

    void killedHelperFallsBackAndTheNextDiagramStartsANewOne()
    {
        QTemporaryDir cache;
        Rows rows(cache.path());
        QSignalSpy started(&rows.renderer, &MermaidRenderer::helperStarted);
        MermaidDiagramView *first = rows.add(flowchart);
        QVERIFY(started.wait(drawTimeoutMs));
        // It has not loaded its page yet, so the diagram is still in its hands.
        const qint64 pid = started.value(0).value(0).toLongLong();
        QVERIFY(pid > 0);
        QCOMPARE(::kill(-pid_t(pid), SIGKILL), 0);
        QTRY_COMPARE_WITH_TIMEOUT(first->state(), MermaidDiagramView::State::Failed, drawTimeoutMs);
        QVERIFY(first->failureNote()->text().contains("stopped unexpectedly"));
        QCOMPARE(first->codeBlock()->source(), flowchart);

        MermaidDiagramView *second = rows.add(QStringLiteral("graph LR\n  X --> Y"));
        QTRY_COMPARE_WITH_TIMEOUT(second->state(), MermaidDiagramView::State::Picture, drawTimeoutMs);
        QCOMPARE(rows.renderer.helperLaunches(), 2);
    }

    void sourceTravelsAsTextNeverAsMarkup()
    {
        QTemporaryDir cache;
        Rows rows(cache.path());
        // A comment line that would end an inline script, and a label with quotes and tags.
        const QString source =
            QStringLiteral("graph TD\n  %% </script><script>document.title='x'</script> \"\n"
                           "  A[\"it's <b>bold</b> & 'quoted'\"] --> B[\"#quot;double#quot;\"]");
        MermaidDiagramView *view = rows.add(source);
        QTRY_COMPARE_WITH_TIMEOUT(view->state(), MermaidDiagramView::State::Picture, drawTimeoutMs);
        const auto picture = rows.renderer.cachedPicture({source, true, view->devicePixelRatioF()});
        QVERIFY(picture);
        const QString text = svgText(picture->svg);
        QVERIFY2(text.contains("it's <b>bold</b> & 'quoted'"), qPrintable(text));
        QVERIFY2(text.contains("'quoted'"), qPrintable(text));
        QVERIFY2(text.contains("\"double\""), qPrintable(text));
        QVERIFY(!hasElement(picture->svg, "b"));
        QVERIFY(!hasElement(picture->svg, "script"));
    }

    void helperLeavesWhenIdleAndWhenItsInputCloses()
    {
        QTemporaryDir cache;
        MermaidRenderer::Options options;
        options.cacheFolder = cache.path();
        options.helperIdleExit = std::chrono::milliseconds(300);
        options.answerTimeout = loadedMachineAnswerTimeout;
        Rows rows(options);
        QSignalSpy stopped(&rows.renderer, &MermaidRenderer::helperStopped);
        MermaidDiagramView *first = rows.add(flowchart);
        QTRY_COMPARE_WITH_TIMEOUT(first->state(), MermaidDiagramView::State::Picture, drawTimeoutMs);
        QVERIFY(stopped.wait(drawTimeoutMs));
        QVERIFY(!rows.renderer.isHelperRunning());
        // The next new diagram brings it back.
        MermaidDiagramView *second = rows.add(QStringLiteral("graph LR\n  P --> Q"));
        QTRY_COMPARE_WITH_TIMEOUT(second->state(), MermaidDiagramView::State::Picture, drawTimeoutMs);
        QCOMPARE(rows.renderer.helperLaunches(), 2);

        // An application that is gone closes the helper's input: it ends too.
        QProcess helper;
        helper.start(MermaidRenderer::defaultHelperPath(), {});
        QVERIFY(helper.waitForStarted());
        helper.closeWriteChannel();
        QVERIFY(helper.waitForFinished(drawTimeoutMs));
        QCOMPARE(helper.exitStatus(), QProcess::NormalExit);
    }

    void drawnDiagramIsAnsweredFromTheCacheWithoutTheHelper()
    {
        QTemporaryDir cache;
        {
            Rows rows(cache.path());
            MermaidDiagramView *view = rows.add(flowchart, false);
            QTRY_COMPARE_WITH_TIMEOUT(view->state(), MermaidDiagramView::State::Picture, drawTimeoutMs);
            // The same diagram again in this run: no second drawing.
            MermaidDiagramView *again = rows.add(flowchart, false);
            QCOMPARE(again->state(), MermaidDiagramView::State::Picture);
            QCOMPARE(rows.renderer.helperLaunches(), 1);
        }
        // A later run, whose helper could not even start, shows it at once.
        Rows later(cache.path(), cache.filePath("no-helper"));
        MermaidDiagramView *view = later.add(flowchart, false);
        QCOMPARE(view->state(), MermaidDiagramView::State::Picture);
        QVERIFY(visiblePixels(view->renderedImage(QSize(200, 220))) > 500);
        QCOMPARE(later.renderer.helperLaunches(), 0);
        // The other appearance is another picture.
        MermaidDiagramView *light = later.add(flowchart, true);
        QTRY_COMPARE(light->state(), MermaidDiagramView::State::Failed);
    }
};

TESSALY_TEST_MAIN(TestMermaidDiagrams)
#include "test_mermaiddiagrams.moc"
