// Transcript refresh with 50 mixed messages: the first full build, the
// rebuild a font change forces, and the update when one message arrives
// (which must reuse the other 49 rows). Medians of repeated runs, offscreen.
#include "speech/MessageSpeaker.h"
#include "ui/AudioPlayback.h"
#include "ui/TelegramMessageRow.h"
#include "ui/TranscriptController.h"
#include "ui/TranscriptView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLayout>
#include <algorithm>
#include <cstdio>

namespace {

class NullSink : public AudioSink
{
public:
    void play(const QString &, std::function<void()>) override {}
    void stop() override {}
};

BotMessage mixedMessage(int i)
{
    BotMessage m;
    m.id = QString::number(1000 + i);
    m.date = 1700000000 + i * 60;
    m.isOutgoing = i % 4 == 1;
    switch (i % 6) {
    case 0:
        m.segments = {
            BotMessageSegment::makeText("Here is what I found about your question, "),
            BotMessageSegment::makeLink("the documentation", "https://example.org/docs"),
            BotMessageSegment::makeText(" explains it in more detail.\n- first point\n- second point")};
        break;
    case 1:
        m.segments = {BotMessageSegment::makeText("Can you show me how to read a file in Python?")};
        break;
    case 2:
        m.segments = {BotMessageSegment::makeText("Like this:\n"),
                      BotMessageSegment::makeCode(
                          "python", "def read(path):\n    # open it\n    with open(path) as f:\n"
                                    "        return f.read()  # \"all\" 42\n")};
        break;
    case 3:
        m.segments = {
            BotMessageSegment::makeText(QString::fromUtf8("✓ Mac task finished\nThe screen is locked."))};
        break;
    case 4:
        m.segments = {BotMessageSegment::makeText("Your report is ready."),
                      BotMessageSegment::makeAttachment(BotMessageSegment::AttachmentKind::Pdf, "f" + m.id,
                                                        "report.pdf", std::nullopt)};
        m.buttons = {{{"Refresh", "cmVmcmVzaA=="}, {"Help", "aGVscA=="}}};
        break;
    default:
        m.segments = {BotMessageSegment::makeText("Quoting you back.")};
        m.reply = BotReply{"You", "Can you show me how to read a file in Python?", true};
        break;
    }
    for (const BotMessageSegment &segment : m.segments)
        m.text += segment.text;
    return m;
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Counts what the window still has to do: layout requests, resizes, paints.
class PendingWork : public QObject
{
public:
    int seen = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::LayoutRequest:
        case QEvent::Resize:
        case QEvent::UpdateRequest:
        case QEvent::Paint:
        case QEvent::Timer:
        case QEvent::MetaCall:
            ++seen;
            break;
        default:
            break;
        }
        return QObject::eventFilter(watched, event);
    }
};

// Handles events until a pass finds nothing left to lay out or paint: a
// scroll bar that appears narrows the column and lays it out once more, and
// that work belongs to the refresh that caused it.
void settle()
{
    PendingWork work;
    qApp->installEventFilter(&work);
    for (int pass = 0; pass < 20; ++pass) {
        work.seen = 0;
        QApplication::processEvents();
        if (work.seen == 0)
            break;
    }
    qApp->removeEventFilter(&work);
}

// Time until the rows are built, laid out in the column and painted. Each
// phase is a function of its own, so a profiler run (callgrind's inclusive
// cost) can tell them apart: `bench_transcript 3` runs three rounds only.
double timed(const std::function<void()> &refresh)
{
    QElapsedTimer clock;
    clock.start();
    refresh();
    settle();
    return double(clock.nsecsElapsed()) / 1e6;
}

Q_NEVER_INLINE double buildTranscript(TranscriptController &controller, const QList<BotMessage> &messages)
{
    return timed([&] { controller.showMessages(messages, true, false); });
}

Q_NEVER_INLINE double rebuildTranscript(TranscriptController &controller, qreal scale)
{
    return timed([&] { controller.setFontScale(scale); });
}

Q_NEVER_INLINE double appendMessage(TranscriptController &controller, const QList<BotMessage> &messages)
{
    return timed([&] { controller.showMessages(messages, true, false); });
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QList<BotMessage> messages;
    for (int i = 0; i < 50; ++i)
        messages << mixedMessage(i);
    QList<BotMessage> withOneMore = messages.mid(1);
    withOneMore << mixedMessage(50);

    const int runs = argc > 1 ? qMax(1, QByteArray(argv[1]).toInt()) : 9;
    QList<double> build, rebuild, append;
    bool reused = true;
    for (int run = 0; run < runs; ++run) {
        TranscriptView view;
        AudioPlayback audio(std::make_unique<NullSink>(), {});
        MessageSpeaker speaker;
        TranscriptController controller(&view, &audio, &speaker, nullptr);
        controller.setConversation(QStringLiteral("42"));
        view.resize(365, 600);
        view.show();
        QApplication::processEvents();

        build << buildTranscript(controller, messages);
        rebuild << rebuildTranscript(controller, run % 2 ? 1.1 : 0.9);
        const QHash<QString, TelegramMessageRow *> before = view.messageRows();
        append << appendMessage(controller, withOneMore);
        int kept = 0;
        for (const BotMessage &m : messages.mid(1))
            kept += view.row(m.id) == before.value(m.id);
        reused = reused && kept == 49;
    }
    std::printf("transcript_build_50_ms: %.2f ms\n", median(build));
    std::printf("transcript_rebuild_50_ms: %.2f ms\n", median(rebuild));
    std::printf("transcript_append_1_ms: %.2f ms\n", median(append));
    std::printf("transcript_append_over_build: %.3f ratio\n", median(append) / median(build));
    std::printf("transcript_append_1_rows_reused: %d rows\n", reused ? 49 : 0);
    return reused ? 0 : 1;
}
