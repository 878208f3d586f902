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

// Time until the rows are built and laid out in the column.
double timed(TranscriptView &view, const std::function<void()> &refresh)
{
    QElapsedTimer clock;
    clock.start();
    refresh();
    QApplication::processEvents();
    view.widget()->layout()->activate();
    return double(clock.nsecsElapsed()) / 1e6;
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

    constexpr int runs = 9;
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

        build << timed(view, [&] { controller.showMessages(messages, true, false); });
        rebuild << timed(view, [&] { controller.setFontScale(run % 2 ? 1.1 : 0.9); });
        const QHash<QString, TelegramMessageRow *> before = view.messageRows();
        append << timed(view, [&] { controller.showMessages(withOneMore, true, false); });
        int kept = 0;
        for (const BotMessage &m : messages.mid(1))
            kept += view.row(m.id) == before.value(m.id);
        reused = reused && kept == 49;
    }
    std::printf("transcript_build_50_ms: %.2f ms\n", median(build));
    std::printf("transcript_rebuild_50_ms: %.2f ms\n", median(rebuild));
    std::printf("transcript_append_1_ms: %.2f ms\n", median(append));
    std::printf("transcript_append_1_rows_reused: %d rows\n", reused ? 49 : 0);
    return reused ? 0 : 1;
}
