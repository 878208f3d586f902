#include "support/ScriptedAlerts.h"
#include "support/TestMain.h"
#include "support/WidgetText.h"
#include "ui/CodeBlockView.h"
#include "ui/IconTable.h"
#include "ui/MessageDeletion.h"
#include "ui/TelegramMessageRow.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QLabel>
#include <QPdfDocument>
#include <QPdfView>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

namespace {

// Receives what the row hands to the system's default application.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl &url) { opened << url; }
};

BotMessage messageWith(const QList<BotMessageSegment> &segments, const QString &text = QString())
{
    BotMessage m;
    m.id = QStringLiteral("77");
    m.segments = segments;
    m.text = text;
    if (text.isEmpty()) {
        for (const BotMessageSegment &segment : segments)
            m.text += segment.text;
    }
    m.date = 1700000000;
    return m;
}

QStringList buttonTitles(const QWidget &row)
{
    QStringList titles;
    for (const QPushButton *button : row.findChildren<QPushButton *>())
        titles << button->text();
    return titles;
}

QStringList labelTexts(const QWidget &row)
{
    QStringList texts;
    for (const QLabel *label : row.findChildren<QLabel *>())
        if (!label->text().isEmpty())
            texts << label->text();
    return texts;
}

} // namespace

class TestMessageRowView : public QObject
{
    Q_OBJECT
private slots:
    void everySymbolHasABundledIcon()
    {
        for (const QString &name : IconTable::symbolNames())
            QVERIFY2(!IconTable::pixmap(name, Qt::black, 12).isNull(), qPrintable(name));
        QVERIFY(IconTable::pixmap(QStringLiteral("no.such.symbol"), Qt::black, 12).isNull());
    }

    void headerOffersTheSixActionsButNotOnSyntheticRows()
    {
        MessageRowContext context;
        TelegramMessageRow row(messageWith({BotMessageSegment::makeText("hi")}), context);
        for (const char *symbol : {"doc.on.doc", "speaker.wave.2", "arrowshape.turn.up.left",
                                   "hand.thumbsup.fill", "hand.thumbsdown.fill", "trash"})
            QVERIFY2(row.actionButton(QString::fromLatin1(symbol)), symbol);
        QCOMPARE(row.actionButton("hand.thumbsup.fill")->toolTip(), QStringLiteral("Send thumbs up"));

        BotMessage typing = messageWith({BotMessageSegment::makeText("Typing…")});
        typing.id = QStringLiteral("typing-indicator");
        TelegramMessageRow typingRow(typing, context);
        QVERIFY(!typingRow.actionButton("trash"));
    }

    void actionsReportTheirMessage()
    {
        MessageRowContext context;
        const BotMessage message = messageWith({BotMessageSegment::makeText("answer")});
        TelegramMessageRow row(message, context);
        QStringList calls;
        row.onReply = [&](const BotMessage &m) { calls << "reply " + m.id; };
        row.onReaction = [&](const BotMessage &m, const QString &r) {
            calls << "reaction " + r + " " + m.id;
        };
        row.onDelete = [&](const BotMessage &m) { calls << "delete " + m.id; };
        row.actionButton("arrowshape.turn.up.left")->click();
        row.actionButton("hand.thumbsdown.fill")->click();
        row.actionButton("trash")->click();
        QCOMPARE(calls, (QStringList{"reply 77", QString::fromUtf8("reaction 👎 77"), "delete 77"}));
    }

    void copyPutsTheTextOnTheClipboardAndShowsCopied()
    {
        MessageRowContext context;
        TelegramMessageRow row(messageWith({BotMessageSegment::makeText("copy me")}), context);
        row.actionButton("doc.on.doc")->click();
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("copy me"));
        QCOMPARE(row.actionButton("doc.on.doc")->toolTip(), QStringLiteral("Copied"));
    }

    void bodyKinds_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expectedLabel");
        QTest::newRow("finished notice")
            << QString::fromUtf8("✓ Mac task finished\nAll done") << "Mac task finished";
        QTest::newRow("blocked notice")
            << QString::fromUtf8("⚠️ Not allowed now\nmore") << "Mac task blocked";
        QTest::newRow("cronjob") << "Cronjob Response: Backup\n---\nline one\nline two"
                                 << "Backup";
        QTest::newRow("reaction") << QString::fromUtf8("👍 the text reacted to") << QString::fromUtf8("👍");
        QTest::newRow("status list") << QString::fromUtf8("Services\n🔴 db down\n🟣 web slow")
                                     << "web slow";
    }
    void bodyKinds()
    {
        QFETCH(QString, text);
        QFETCH(QString, expectedLabel);
        MessageRowContext context;
        TelegramMessageRow row(messageWith({BotMessageSegment::makeText(text)}, text), context);
        const QStringList texts = labelTexts(row);
        const bool found = std::any_of(texts.begin(), texts.end(),
                                       [&](const QString &t) { return t.contains(expectedLabel); });
        QVERIFY2(found, qPrintable(texts.join(" | ")));
    }

    void everyTextFromTelegramShowsLiterally()
    {
        MessageRowContext context;
        BotMessage message =
            messageWith({BotMessageSegment::makeText("Files\n"),
                         BotMessageSegment::makeAttachment(BotMessageSegment::AttachmentKind::Document, "f1",
                                                           "<b>report</b>.pdf", std::nullopt),
                         BotMessageSegment::makeMedia("photo", "<i>Photo</i> &amp; more"),
                         BotMessageSegment::makeCode("<u>py</u>", "x = 1"), BotMessageSegment::makeText("\n"),
                         BotMessageSegment::makeLink("Q&A", "https://example.org/<b>"),
                         BotMessageSegment::makeText(QString::fromUtf8(" · ")),
                         BotMessageSegment::makeLink("Docs", "https://example.org/docs")});
        message.reply = BotReply{QStringLiteral("<b>Bob</b>"), QStringLiteral("<i>asked</i>"), false};
        message.buttons = {{{"Q&A", "cWE="}}};
        TelegramMessageRow row(message, context);
        QStringList shown;
        for (const QLabel *label : row.findChildren<QLabel *>())
            shown << WidgetText::shown(label);
        for (const char *literal :
             {"<b>report</b>.pdf", "<i>Photo</i> &amp; more", "<u>py</u>", "<b>Bob</b>", "<i>asked</i>"})
            QVERIFY2(shown.contains(QString::fromUtf8(literal)), literal);

        // Link and inline-keyboard buttons alike: "Q&A" as written, and no Alt+A.
        int questionButtons = 0;
        for (const QPushButton *button : row.findChildren<QPushButton *>()) {
            QVERIFY(!WidgetText::hasShortcut(button));
            questionButtons += WidgetText::shown(button) == QStringLiteral("Q&A");
            if (button->text().startsWith(QLatin1String("Q")) && !button->toolTip().isEmpty())
                QCOMPARE(WidgetText::shownToolTip(button), QStringLiteral("https://example.org/<b>"));
        }
        QCOMPARE(questionButtons, 2);

        // A cronjob's job name is the notice's title.
        const QString cronjob = QStringLiteral("Cronjob Response: <b>job</b> &lt;1&gt;\n---\nbody");
        TelegramMessageRow notice(messageWith({BotMessageSegment::makeText(cronjob)}, cronjob), context);
        QStringList noticeTexts;
        for (const QLabel *label : notice.findChildren<QLabel *>())
            noticeTexts << WidgetText::shown(label);
        QVERIFY2(noticeTexts.contains(QStringLiteral("<b>job</b> &lt;1&gt;")),
                 qPrintable(noticeTexts.join('|')));
    }

    void aLineOfLinksBecomesButtonsAndAnInlineLinkStaysText()
    {
        MessageRowContext context;
        TelegramMessageRow row(messageWith({BotMessageSegment::makeText("See "),
                                            BotMessageSegment::makeLink("docs", "https://example.org/docs"),
                                            BotMessageSegment::makeText(" now\n"),
                                            BotMessageSegment::makeLink("Site", "https://example.org"),
                                            BotMessageSegment::makeText(QString::fromUtf8(" · ")),
                                            BotMessageSegment::makeLink("Blog", "http://blog.example.org")}),
                               context);
        QCOMPARE(buttonTitles(row), (QStringList{"Site", "Blog"}));
        QVERIFY(row.visibleText().contains("See docs now"));
    }

    void codeBlocksColourAndCopy()
    {
        MessageRowContext context;
        TelegramMessageRow row(
            messageWith({BotMessageSegment::makeCode("python", "# say \"hi\"\nreturn 42")}), context);
        QCOMPARE(row.codeBlocks().size(), 1);
        const QString html = CodeBlockView::highlightedHtml("# say \"hi\"\nreturn 42", context.theme);
        // The comment wins over the string inside it.
        const QString comment = context.theme.resolve(ChatStyle::secondary()).name();
        QVERIFY(html.contains(
            QStringLiteral("<span style=\"color:%1\"># say &quot;hi&quot;</span>").arg(comment)));
        row.codeBlocks().first()->copyCode();
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("# say \"hi\"\nreturn 42"));
    }

    void aDiagramWithoutARendererShowsItsSource()
    {
        MessageRowContext context; // no diagram renderer
        TelegramMessageRow row(messageWith({BotMessageSegment::makeCode("mermaid", "graph TD; A-->B")}),
                               context);
        QCOMPARE(row.codeBlocks().size(), 1);
        QCOMPARE(row.codeBlocks().first()->source(), QStringLiteral("graph TD; A-->B"));
    }

    void attachmentButtonsDownloadOrSave()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("report.txt");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("x");
        file.close();
        MessageRowContext context;
        TelegramMessageRow row(
            messageWith({BotMessageSegment::makeAttachment(BotMessageSegment::AttachmentKind::Document, "f1",
                                                           "missing.txt", std::nullopt),
                         BotMessageSegment::makeAttachment(BotMessageSegment::AttachmentKind::Document, "f2",
                                                           "report.txt", path)}),
            context);
        QStringList calls;
        row.onDownloadAttachment = [&](const BotMessageSegment &s) { calls << "download " + s.fileID; };
        row.onSaveAttachment = [&](const BotMessageSegment &s) { calls << "save " + s.fileID; };
        QCOMPARE(row.attachmentButton(1)->text(), QStringLiteral("Download"));
        QCOMPARE(row.attachmentButton(2)->text(), QStringLiteral("Save"));
        row.attachmentButton(1)->click();
        row.attachmentButton(2)->click();
        QCOMPARE(calls, (QStringList{"download f1", "save f2"}));
    }

    void attachmentLinesShowTransferAndFailure_data()
    {
        using D = BotFileTransfer::Direction;
        QTest::addColumn<std::optional<BotFileTransfer>>("transfer");
        QTest::addColumn<bool>("failed");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("downloadEnabled");
        QTest::newRow("at rest") << std::optional<BotFileTransfer>() << false << ""
                                 << "" << true;
        QTest::newRow("downloading") << std::optional(BotFileTransfer{D::Download, 40, 100}) << false << ""
                                     << "Downloading… 40 %" << false;
        QTest::newRow("sending") << std::optional(BotFileTransfer{D::Upload, 60, 100}) << false << ""
                                 << "Sending… 60 %" << true;
        QTest::newRow("sending, size unknown")
            << std::optional(BotFileTransfer{D::Upload, 0, 0}) << false << ""
            << "Sending…" << true;
        QTest::newRow("refused, reason shown literally")
            << std::optional<BotFileTransfer>() << true << "<b>FILE_PARTS_INVALID</b>"
            << "Could not send: <b>FILE_PARTS_INVALID</b>" << true;
        QTest::newRow("refused without a reason") << std::optional<BotFileTransfer>() << true << ""
                                                  << "Could not send." << true;
    }
    void attachmentLinesShowTransferAndFailure()
    {
        QFETCH(std::optional<BotFileTransfer>, transfer);
        QFETCH(bool, failed);
        QFETCH(QString, reason);
        QFETCH(QString, line);
        QFETCH(bool, downloadEnabled);
        BotMessageSegment segment = BotMessageSegment::makeAttachment(BotMessageSegment::AttachmentKind::Pdf,
                                                                      "f1", "report.pdf", std::nullopt);
        segment.transfer = transfer;
        BotMessage message = messageWith({segment});
        message.isOutgoing = true;
        message.sendFailed = failed;
        message.sendFailureReason = reason;
        MessageRowContext context;
        TelegramMessageRow row(message, context);
        QStringList lines;
        for (const QLabel *label : row.transferLabels()) {
            QCOMPARE(label->textFormat(), Qt::PlainText);
            lines << label->text();
        }
        QCOMPARE(lines, line.isEmpty() ? QStringList{} : QStringList{line});
        QCOMPARE(row.attachmentButton(1)->isEnabled(), downloadEnabled);
    }

    // A downloaded PDF opens in a window of its own (the media library's), once;
    // a file that is no PDF goes to the system's viewer instead.
    void pdfAttachmentsOpenInAWindowOfTheirOwn()
    {
        QTemporaryDir dir;
        const QString pdf = dir.filePath("report.pdf");
        const QString broken = dir.filePath("broken.pdf");
        const auto write = [](const QString &path, const QByteArray &bytes) {
            QFile file(path);
            return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
        };
        QVERIFY(write(pdf, "%PDF-1.4\n1 0 obj<</Type/Catalog/Pages 2 0 R>>endobj\n"
                           "2 0 obj<</Type/Pages/Kids[3 0 R]/Count 1>>endobj\n"
                           "3 0 obj<</Type/Page/Parent 2 0 R/MediaBox[0 0 200 200]>>endobj\n"
                           "trailer<</Root 1 0 R>>\n%%EOF\n"));
        QVERIFY(write(broken, "<html>not a PDF</html>"));
        using Kind = BotMessageSegment::AttachmentKind;
        MessageRowContext context;
        TelegramMessageRow row(
            messageWith({BotMessageSegment::makeAttachment(Kind::Pdf, "f1", "<b>Q3</b>.pdf", pdf),
                         BotMessageSegment::makeAttachment(Kind::Pdf, "f2", "broken.pdf", broken)}),
            context);
        const auto pdfWindows = [] {
            QList<QWidget *> found;
            for (QWidget *w : QApplication::topLevelWidgets())
                if (w->findChild<QPdfView *>() && w->isVisible())
                    found << w;
            return found;
        };

        row.attachmentButton(1)->click();
        QCOMPARE(pdfWindows().size(), 1);
        QWidget *window = pdfWindows().first();
        QCOMPARE(window->windowTitle(), QStringLiteral("<b>Q3</b>.pdf"));
        QCOMPARE(window->findChild<QPdfView *>()->document()->pageCount(), 1);
        row.attachmentButton(1)->click();
        QCOMPARE(pdfWindows(), QList<QWidget *>{window});

        UrlCatcher catcher;
        QDesktopServices::setUrlHandler("file", &catcher, "open");
        row.attachmentButton(2)->click();
        QDesktopServices::unsetUrlHandler("file");
        QCOMPARE(catcher.opened, QList<QUrl>{QUrl::fromLocalFile(broken)});
        QCOMPARE(pdfWindows().size(), 1);
    }

    void inlineKeyboardPressesItsButton()
    {
        MessageRowContext context;
        BotMessage message = messageWith({BotMessageSegment::makeText("Pick")});
        message.buttons = {{{"Yes", "eWVz"}, {"No", "bm8="}}, {{"Later", "bGF0ZXI="}}};
        TelegramMessageRow row(message, context);
        QCOMPARE(buttonTitles(row), (QStringList{"Yes", "No", "Later"}));
        QString pressed;
        row.onInlineButton = [&](const BotMessage &, const BotInlineButton &b) { pressed = b.callbackData; };
        for (QPushButton *button : row.findChildren<QPushButton *>())
            if (button->text() == "Later")
                button->click();
        QCOMPARE(pressed, QStringLiteral("bGF0ZXI="));
    }

    void deleteSheetDeletesForEveryoneExactlyForOutgoing_data()
    {
        QTest::addColumn<bool>("outgoing");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("expected");
        QTest::newRow("outgoing, delete") << true << 1 << "everyone";
        QTest::newRow("incoming, delete") << false << 1 << "me";
        QTest::newRow("outgoing, cancel") << true << 0 << "";
        QTest::newRow("dismissed") << false << -1 << "";
    }
    void deleteSheetDeletesForEveryoneExactlyForOutgoing()
    {
        QFETCH(bool, outgoing);
        QFETCH(int, answer);
        QFETCH(QString, expected);
        ScriptedAlerts alerts;
        alerts.script.push_back(answer < 0 ? ScriptedAlerts::dismissed() : ScriptedAlerts::button(answer));
        BotMessage message = messageWith({BotMessageSegment::makeText("bye")});
        message.isOutgoing = outgoing;
        QString deleted;
        MessageDeletion::confirm(alerts, message,
                                 [&](bool everyone) { deleted = everyone ? "everyone" : "me"; });
        QTest::qWait(1);
        QCOMPARE(deleted, expected);
        QCOMPARE(alerts.presented.size(), 1);
        const AlertRequest &request = alerts.presented.first();
        QCOMPARE(request.message, QStringLiteral("Delete this message?"));
        QCOMPARE(request.buttons, (QStringList{"Cancel", "Delete"}));
        QCOMPARE(request.style, AlertRequest::Style::Warning);
        QCOMPARE(request.destructiveIndex, 1);
        QCOMPARE(request.cancelIndex, 0);
        QCOMPARE(request.informativeText,
                 outgoing ? QStringLiteral("It will be removed from this conversation for everyone.")
                          : QStringLiteral("It will be removed from this conversation for you."));
    }
};

TESSALY_TEST_MAIN(TestMessageRowView)
#include "test_messagerowview.moc"
