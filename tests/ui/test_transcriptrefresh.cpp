// What a refresh of a long transcript costs the rows it leaves alone: a new
// message, an edit or a deletion lays out the rows it touches and no other.
#include "speech/MessageSpeaker.h"
#include "support/TestMain.h"
#include "ui/AudioPlayback.h"
#include "ui/MessageTextLabel.h"
#include "ui/TelegramMessageRow.h"
#include "ui/TranscriptController.h"
#include "ui/TranscriptView.h"

#include <QApplication>
#include <QScrollBar>
#include <QTest>

namespace {

class SilentSink : public AudioSink
{
public:
    void play(const QString &, std::function<void()>) override {}
    void stop() override {}
};

// Every kind of row the transcript shows most: wrapped text, a link, a list,
// a code block with a line wider than the row, a quote, inline buttons.
BotMessage message(int i)
{
    BotMessage m;
    m.id = QString::number(100 + i);
    m.date = 1700000000 + i * 60;
    m.isOutgoing = i % 5 == 1;
    switch (i % 5) {
    case 0:
        m.segments = {
            BotMessageSegment::makeText(QStringLiteral("Message %1, long enough to wrap over more "
                                                       "than one line of the transcript. ")
                                            .arg(i)),
            BotMessageSegment::makeLink(QStringLiteral("docs"), QStringLiteral("https://example.org"))};
        break;
    case 1:
        m.segments = {BotMessageSegment::makeText(QStringLiteral("- first\n- second\n- third"))};
        break;
    case 2:
        m.segments = {BotMessageSegment::makeText(QStringLiteral("Like this:\n")),
                      BotMessageSegment::makeCode(QStringLiteral("python"),
                                                  QStringLiteral("def read(path):\n    with open(path) as f:"
                                                                 "  # a comment wider than the row\n"))};
        break;
    case 3:
        m.segments = {BotMessageSegment::makeText(QStringLiteral("Quoting you back."))};
        m.reply = BotReply{QStringLiteral("You"), QStringLiteral("what can you do?"), true};
        break;
    default:
        m.segments = {BotMessageSegment::makeText(QStringLiteral("Pick one."))};
        m.buttons = {{{QStringLiteral("Yes"), QStringLiteral("eWVz")},
                      {QStringLiteral("No"), QStringLiteral("bm8=")}}};
        break;
    }
    for (const BotMessageSegment &segment : m.segments)
        m.text += segment.text;
    return m;
}

QList<BotMessage> mixedConversation(int count)
{
    QList<BotMessage> list;
    for (int i = 0; i < count; ++i)
        list << message(i);
    return list;
}

// What is known of a row before a refresh.
struct RowState
{
    TelegramMessageRow *row = nullptr;
    int y = 0;
    int height = 0;
    int heightComputations = 0;
    int textLayouts = 0;
};

struct RefreshedTranscript
{
    TranscriptView view;
    AudioPlayback audio{std::make_unique<SilentSink>(), {}};
    MessageSpeaker speaker;
    TranscriptController controller{&view, &audio, &speaker, nullptr};

    RefreshedTranscript()
    {
        view.resize(365, 500);
        view.show();
        controller.setConversation(QStringLiteral("42"));
    }

    // Shows the list and waits until the column is laid out and at its end.
    void show(const QList<BotMessage> &messages)
    {
        controller.showMessages(messages, false, false);
        QScrollBar *bar = view.verticalScrollBar();
        const auto laidOut = [this, bar] {
            const QList<TelegramMessageRow *> rows = view.orderedRows();
            for (qsizetype i = 1; i < rows.size(); ++i) {
                if (rows[i]->y() <= rows[i - 1]->geometry().bottom())
                    return false;
            }
            return bar->maximum() > 0 && bar->value() == bar->maximum() &&
                   rows.last()->geometry().bottom() < view.widget()->height();
        };
        QTRY_VERIFY(laidOut());
        // Whatever the refresh queued (a second pass, a scroll) runs now.
        for (int pass = 0; pass < 4; ++pass)
            QCoreApplication::processEvents();
    }

    // Thirty messages, then one more as the oldest leaves, so the column keeps
    // the departed row's space. Returns where the first row stood.
    int showAndLetTheOldestLeave()
    {
        shown = mixedConversation(30);
        show(shown);
        const int top = view.orderedRows().first()->y();
        shown.removeFirst();
        shown << message(30);
        show(shown);
        return top;
    }
    QList<BotMessage> shown;

    QHash<QString, RowState> snapshot() const
    {
        QHash<QString, RowState> rows;
        for (TelegramMessageRow *row : view.orderedRows())
            rows.insert(row->message().id, RowState{row, row->y(), row->height(), row->heightComputations(),
                                                    row->textLayouts()});
        return rows;
    }
};

// Which widgets were painted.
class PaintCounter : public QObject
{
public:
    QSet<QObject *> painted;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            painted.insert(watched);
        return false;
    }
};

// The row is the one from before, in the same place shifted by `shift`, and
// nothing in it was laid out again.
void verifyUntouched(const RefreshedTranscript &t, const RowState &before, const QString &id, int shift)
{
    TelegramMessageRow *row = t.view.row(id);
    QVERIFY2(row == before.row, qPrintable(id));
    QCOMPARE(row->y(), before.y + shift);
    QCOMPARE(row->height(), before.height);
    QVERIFY2(row->heightComputations() == before.heightComputations,
             qPrintable(QStringLiteral("row %1 computed its height again").arg(id)));
    QVERIFY2(row->textLayouts() == before.textLayouts,
             qPrintable(QStringLiteral("row %1 laid out its text again").arg(id)));
}

} // namespace

class TestTranscriptRefresh : public QObject
{
    Q_OBJECT
private slots:
    void newMessageLaysOutOnlyItsRow()
    {
        RefreshedTranscript t;
        QList<BotMessage> list = mixedConversation(30);
        t.show(list);
        const QHash<QString, RowState> before = t.snapshot();

        // Once with the text rows, once with a code block: each kind is new once.
        for (int i : {30, 32}) {
            list << message(i);
            t.show(list);
            for (auto it = before.cbegin(); it != before.cend(); ++it)
                verifyUntouched(t, it.value(), it.key(), 0);
            TelegramMessageRow *fresh = t.view.lastRow();
            QCOMPARE(fresh->message().id, message(i).id);
            QVERIFY(fresh->textLayouts() > 0);
            QCOMPARE(t.view.verticalScrollBar()->value(), t.view.verticalScrollBar()->maximum());
        }
    }

    // The column keeps the scroll bar's room from the start: a list that
    // outgrows the view does not narrow it, and no text is laid out twice.
    void theFirstListLaysEachTextOutOnce()
    {
        RefreshedTranscript t;
        const int width = t.view.viewport()->width();
        t.show(mixedConversation(30));
        QCOMPARE(t.view.viewport()->width(), width);
        for (TelegramMessageRow *row : t.view.orderedRows()) {
            const auto texts = row->findChildren<MessageTextLabel *>();
            QVERIFY2(row->textLayouts() == texts.size(),
                     qPrintable(QStringLiteral("row %1: %2 layouts of %3 texts")
                                    .arg(row->message().id)
                                    .arg(row->textLayouts())
                                    .arg(texts.size())));
        }
    }

    void editLaysOutOnlyTheEditedRowAndShiftsTheRowsBelow()
    {
        RefreshedTranscript t;
        QList<BotMessage> list = mixedConversation(30);
        t.show(list);
        const QHash<QString, RowState> before = t.snapshot();

        BotMessage &edited = list[20];
        edited.segments = {
            BotMessageSegment::makeText(QStringLiteral("Edited by the bot,\nnow over\nseveral\nlines."))};
        edited.text = edited.segments[0].text;
        t.show(list);
        TelegramMessageRow *row = t.view.row(edited.id);
        QVERIFY(row != before[edited.id].row);
        QCOMPARE(row->y(), before[edited.id].y);
        const int shift = row->height() - before[edited.id].height;
        QVERIFY(shift > 0);
        for (int i = 0; i < list.size(); ++i) {
            if (i != 20)
                verifyUntouched(t, before[list[i].id], list[i].id, i < 20 ? 0 : shift);
        }
    }

    void deletionRemovesOnlyItsRow()
    {
        RefreshedTranscript t;
        QList<BotMessage> list = mixedConversation(30);
        t.show(list);
        const QHash<QString, RowState> before = t.snapshot();

        const BotMessage removed = list.takeAt(12);
        t.show(list);
        QVERIFY(!t.view.row(removed.id));
        const int shift = before[list[12].id].y - before[removed.id].y;
        for (int i = 0; i < list.size(); ++i)
            verifyUntouched(t, before[list[i].id], list[i].id, i < 12 ? 0 : -shift);
    }

    void oldestLeavingAsOneArrivesLeavesTheRestInPlace()
    {
        // The timeline keeps the newest 50: a new message pushes the oldest out.
        RefreshedTranscript t;
        QList<BotMessage> list = mixedConversation(30);
        t.show(list);
        const QHash<QString, RowState> before = t.snapshot();

        PaintCounter paints;
        qApp->installEventFilter(&paints);
        list.removeFirst();
        list << message(30);
        t.show(list);
        qApp->removeEventFilter(&paints);
        for (int i = 0; i < list.size() - 1; ++i)
            verifyUntouched(t, before[list[i].id], list[i].id, 0);

        // The view scrolled as one piece: of the rows that were there, at most
        // the one the new row's band reaches into is painted again.
        int repainted = 0;
        for (int i = 0; i < list.size() - 1; ++i)
            repainted += paints.painted.contains(t.view.row(list[i].id));
        QVERIFY2(repainted <= 1, qPrintable(QStringLiteral("%1 old rows repainted").arg(repainted)));
        QVERIFY(paints.painted.contains(t.view.row(list.last().id)));

        // Scrolled to the top, the column closes up: no blank space above the first row.
        QScrollBar *bar = t.view.verticalScrollBar();
        const QString firstID = list.first().id;
        const int firstOnScreen = before[firstID].y - before[message(0).id].y;
        QVERIFY(firstOnScreen > 0);
        bar->setValue(0);
        QCOMPARE(bar->value(), 0);
        QCOMPARE(t.view.row(firstID)->y(), before[message(0).id].y);
        QVERIFY(t.view.row(firstID)->visibleRegion().boundingRect().top() == 0);
        bar->setValue(bar->maximum());
        QCOMPARE(t.view.lastRow()->visibleRegion().boundingRect(), t.view.lastRow()->rect());
    }

    void aSearchAfterTheOldestLeftStartsAtTheTop()
    {
        RefreshedTranscript t;
        const int top = t.showAndLetTheOldestLeave();
        const QList<BotMessage> list = t.shown;

        // "Pick one." is every fifth message: a short list, laid out from the top.
        t.controller.searchChanged(QStringLiteral("Pick"));
        QTRY_VERIFY(!t.view.orderedRows().isEmpty() && t.view.orderedRows().first()->y() == top);
        t.controller.searchChanged(QString());
        QTRY_COMPARE(t.view.orderedRows().size(), list.size());
        QTRY_COMPARE(t.view.orderedRows().first()->y(), top);
    }

    void anotherConversationShownWhileHiddenStartsAtTheTop()
    {
        RefreshedTranscript t;
        const int top = t.showAndLetTheOldestLeave();

        t.view.hide();
        QList<BotMessage> other;
        for (BotMessage m : mixedConversation(30)) {
            m.id.prepend(u'x');
            other << m;
        }
        t.controller.showMessages(other, true, false);
        t.view.show();
        QTRY_COMPARE(t.view.orderedRows().first()->y(), top);
    }
};

TESSALY_TEST_MAIN(TestTranscriptRefresh)
#include "test_transcriptrefresh.moc"
