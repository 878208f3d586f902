#include "support/TestMain.h"
#include "support/WidgetText.h"
#include "ui/ComposerTextView.h"
#include "ui/ComposerView.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

class TestComposerView : public QObject
{
    Q_OBJECT
private slots:
    void returnKeys()
    {
        ComposerView composer;
        composer.show();
        ComposerTextView *input = composer.input();
        QSignalSpy send(&composer, &ComposerView::sendRequested);
        QSignalSpy macTask(&composer, &ComposerView::runAsMacTaskRequested);
        input->setFocus();
        QTest::keyClicks(input, "first");
        QTest::keyClick(input, Qt::Key_Return, Qt::ShiftModifier);
        QTest::keyClicks(input, "second");
        QCOMPARE(input->toPlainText(), QStringLiteral("first\nsecond"));
        QCOMPARE(send.size(), 0);
        QTest::keyClick(input, Qt::Key_Return);
        QCOMPARE(send.size(), 1);
        QTest::keyClick(input, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(send.size(), 2);
        QTest::keyClick(input, Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(macTask.size(), 1);
        // Sending is the controller's: the keys leave the text alone.
        QCOMPARE(input->toPlainText(), QStringLiteral("first\nsecond"));
    }

    void pasteRoutesFilesImagesAndText()
    {
        ComposerTextView input;
        QList<QUrl> files;
        QList<QSize> images;
        input.onPasteFile = [&](const QUrl &url) { files << url; };
        input.onPasteImage = [&](const QImage &image) { images << image.size(); };

        QClipboard *clipboard = QApplication::clipboard();
        QTemporaryDir dir;
        auto *file = new QMimeData;
        file->setUrls({QUrl::fromLocalFile(dir.filePath("notes.pdf"))});
        file->setText(QStringLiteral("notes.pdf"));
        clipboard->setMimeData(file);
        input.paste();
        QCOMPARE(files.size(), 1);
        QVERIFY(input.toPlainText().isEmpty());

        auto *picture = new QMimeData;
        QImage image(30, 20, QImage::Format_RGB32);
        image.fill(Qt::red);
        picture->setImageData(image);
        clipboard->setMimeData(picture);
        input.paste();
        QCOMPARE(images, QList<QSize>{QSize(30, 20)});

        clipboard->setText(QStringLiteral("plain words"));
        input.paste();
        QCOMPARE(input.toPlainText(), QStringLiteral("plain words"));
        QCOMPARE(files.size(), 1);
    }

    void inputGrowsFromTwoToFiveLines()
    {
        ComposerView composer;
        composer.resize(365, 200);
        composer.show();
        QTRY_VERIFY(composer.inputHeight() > 0);
        const int empty = composer.inputHeight();
        composer.input()->setPlainText("one\ntwo");
        QCOMPARE(composer.inputHeight(), empty);
        composer.input()->setPlainText("1\n2\n3\n4");
        const int four = composer.inputHeight();
        QVERIFY(four > empty);
        composer.input()->setPlainText("1\n2\n3\n4\n5\n6\n7\n8\n9");
        const int nine = composer.inputHeight();
        QVERIFY(nine > four);
        composer.input()->setPlainText("1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n12");
        QCOMPARE(composer.inputHeight(), nine);
        composer.clearInput();
        QCOMPARE(composer.inputHeight(), empty);
    }

    void replyBarNamesTheAuthorAndJoinsTheLines()
    {
        ComposerView composer;
        composer.resize(365, 200);
        composer.show();
        BotMessage message;
        message.id = QStringLiteral("5");
        message.text = QStringLiteral("first line\n\nsecond line");
        composer.beginReply(message);
        QVERIFY(composer.isReplyBarVisible());
        QCOMPARE(composer.replyHeading(), QStringLiteral("Replying to Bot"));
        QCOMPARE(composer.replyPreview(), QStringLiteral("first line second line"));
        composer.button(QStringLiteral("xmark"))->click();
        QVERIFY(!composer.isReplyBarVisible());
        QVERIFY(!composer.replyTarget());

        message.isOutgoing = true;
        composer.beginReply(message);
        QCOMPARE(composer.replyHeading(), QStringLiteral("Replying to You"));
        composer.input()->setPlainText(QStringLiteral("draft"));
        composer.button(QStringLiteral("trash"))->click();
        QVERIFY(composer.input()->toPlainText().isEmpty());
        QVERIFY(!composer.isReplyBarVisible());

        // The quoted text is shown as written, markup and all.
        message.text = QStringLiteral("<b>bold</b> <!-- hidden -->");
        composer.beginReply(message);
        QStringList shown;
        for (const QLabel *label : composer.findChildren<QLabel *>())
            shown << WidgetText::shown(label);
        QVERIFY2(shown.contains(message.text), qPrintable(shown.join('|')));
    }
};

TESSALY_TEST_MAIN(TestComposerView)
#include "test_composerview.moc"
