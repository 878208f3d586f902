// A message text sizes and paints from documents of its own; it must look and
// measure exactly as the QLabel it replaces would.
#include "support/TestMain.h"
#include "ui/MessageTextLabel.h"
#include "ui/UiStyle.h"

#include <QApplication>
#include <QImage>
#include <QTest>

namespace {

// Configured as the rows configure their text views.
void setUp(QLabel &label, const QString &html)
{
    label.setTextFormat(Qt::RichText);
    label.setWordWrap(true);
    label.setText(html);
    label.setFont(UiStyle::font(11.7));
    label.setTextInteractionFlags(Qt::TextBrowserInteraction);
    label.setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QPalette palette = label.palette();
    palette.setColor(QPalette::WindowText, QColor(30, 30, 40));
    palette.setColor(QPalette::Link, QColor(0, 110, 220));
    label.setPalette(palette);
    // As in a shown row: polishing comes before any layout.
    label.ensurePolished();
}

QImage painted(QLabel &label, int width)
{
    label.resize(width, label.heightForWidth(width));
    return label.grab().toImage();
}

} // namespace

class TestMessageTextLabel : public QObject
{
    Q_OBJECT
private slots:
    void measuresAndPaintsLikeQLabel_data()
    {
        QTest::addColumn<QString>("html");
        QTest::newRow("wrapped with a link")
            << "Here is what I found about your question, <a href=\"https://example.org\" "
               "style=\"color:#0a84ff\">the documentation</a> explains it in more detail.";
        QTest::newRow("spaced list")
            << "<p style=\"margin-top:0; margin-bottom:6px; line-height:120%\">- first point</p>"
               "<p style=\"margin-top:0; margin-bottom:6px; line-height:120%\">- a second, much longer point "
               "that wraps</p>";
        QTest::newRow("line breaks and escapes") << "a &lt;b&gt; &amp; c<br><br>d";
        QTest::newRow("one long word") << QString(120, QLatin1Char('w'));
    }
    void measuresAndPaintsLikeQLabel()
    {
        QFETCH(QString, html);
        QLabel reference;
        MessageTextLabel label;
        setUp(reference, html);
        setUp(label, html);
        for (int width : {120, 240, 303, 600})
            QCOMPARE(label.heightForWidth(width), reference.heightForWidth(width));
        QCOMPARE(painted(label, 240), painted(reference, 240));
        // Narrower and back: the layouts it keeps follow.
        QCOMPARE(painted(label, 180), painted(reference, 180));
        QCOMPARE(painted(label, 240), painted(reference, 240));
    }

    void laysTextOutOncePerWidth()
    {
        MessageTextLabel label;
        setUp(label, QStringLiteral("A message long enough to wrap at the narrower of two widths."));
        label.heightForWidth(300);
        label.heightForWidth(200);
        label.resize(300, label.heightForWidth(300));
        label.grab();
        const int layouts = label.textLayouts();
        QVERIFY(layouts >= 2 && layouts <= 3);
        // Asked again, as every layout pass asks, and painted again.
        for (int pass = 0; pass < 3; ++pass) {
            label.heightForWidth(300);
            label.heightForWidth(200);
            label.sizeHint();
            label.grab();
        }
        QCOMPARE(label.textLayouts(), layouts);

        // New text is laid out anew.
        label.setText(QStringLiteral("Changed."));
        QVERIFY(label.heightForWidth(300) > 0);
        QCOMPARE(label.textLayouts(), layouts + 1);
    }

    // Code keeps its lines: as wide as the longest (what scrolls it sideways
    // needs that), drawn as QLabel draws it, and laid out once however often
    // it is measured and painted.
    void unwrappedCodeIsMeasuredAndPaintedLikeQLabelFromOneLayout()
    {
        const QString html = QStringLiteral(
            "<pre style=\"margin:0; color:#c8c8d0\">def read(path):\n"
            "    <span style=\"color:#808090\"># a comment that is wider than the code box</span></pre>");
        QLabel reference;
        MessageTextLabel label;
        for (QLabel *code : {&reference, static_cast<QLabel *>(&label)}) {
            setUp(*code, html);
            code->setWordWrap(false);
            code->setFont(UiStyle::monospaceFont(11));
            code->setTextInteractionFlags(Qt::TextSelectableByMouse);
            code->setContentsMargins(10, 8, 10, 8);
        }
        QCOMPARE(label.sizeHint(), reference.sizeHint());
        QCOMPARE(label.minimumSizeHint().width(), reference.minimumSizeHint().width());
        reference.resize(reference.sizeHint());
        label.resize(label.sizeHint());
        QCOMPARE(label.grab().toImage(), reference.grab().toImage());
        for (int pass = 0; pass < 3; ++pass) {
            label.sizeHint();
            label.grab();
        }
        QCOMPARE(label.textLayouts(), 1);
    }

    void selectedTextPaintsTheSelection()
    {
        MessageTextLabel label;
        setUp(label, QStringLiteral("Select some of this text."));
        const QImage plain = painted(label, 240);
        label.setSelection(0, 6);
        QVERIFY(label.hasSelectedText());
        QVERIFY(painted(label, 240) != plain);
    }
};

TESSALY_TEST_MAIN(TestMessageTextLabel)
#include "test_messagetextlabel.moc"
