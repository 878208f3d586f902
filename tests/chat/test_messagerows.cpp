#include "chat/AttachmentPresentation.h"
#include "chat/ChatNotice.h"
#include "chat/CodeHighlighter.h"
#include "chat/MessageTime.h"
#include "chat/ReactionMessage.h"
#include "chat/RenderItems.h"
#include "chat/StatusList.h"
#include "support/TestMain.h"

#include <QtTest>

using Segment = BotMessageSegment;
using Role = CodeHighlighter::Role;

class TestMessageRows : public QObject
{
    Q_OBJECT
private slots:
    void noticeClassification_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<int>("tint");
        QTest::addColumn<QString>("body");
        const int green = int(NoticeTint::systemGreen), red = int(NoticeTint::systemRed),
                  grey = int(NoticeTint::systemGrey), orange = int(NoticeTint::systemOrange),
                  accent = int(NoticeTint::botAccent);
        QTest::newRow("finished with rest of line and more lines")
            << "✓ Mac task finished: locked\nDetails here\nand here"
            << "Mac task finished"
            << "checkmark.circle.fill" << green << ": locked\n\nDetails here\nand here";
        QTest::newRow("finished, marker only") << "✓ Mac task finished\nThe screen is locked."
                                               << "Mac task finished"
                                               << "checkmark.circle.fill" << green << "The screen is locked.";
        QTest::newRow("started, as the orchestration writes it")
            << "▸ Mac task started\n\nopen Safari"
            << "Mac task started"
            << "play.circle.fill" << accent << "open Safari";
        QTest::newRow("failed") << "✕ Mac task failed\n\nNo permission  "
                                << "Mac task failed"
                                << "xmark.octagon.fill" << red << "No permission";
        QTest::newRow("cancelled") << "■ Mac task cancelled"
                                   << "Mac task cancelled"
                                   << "xmark.circle.fill" << grey << "";
        QTest::newRow("cancelled at the approval, the full stop is no body")
            << "■ Mac task cancelled."
            << "Mac task cancelled"
            << "xmark.circle.fill" << grey << "";
        QTest::newRow("a full stop before more text stays") << "Reminder. Stand up"
                                                            << "Reminder"
                                                            << "bell.badge.fill" << orange << ". Stand up";
        QTest::newRow("finished wins over failed on one line") << "Mac task failed? no: Mac task finished ok"
                                                               << "Mac task finished"
                                                               << "checkmark.circle.fill" << green << "ok";
        QTest::newRow("warning sign")
            << "  ⚠️ Blocked: read only\nAsk for full access"
            << "Mac task blocked"
            << "exclamationmark.triangle.fill" << orange << "Blocked: read only\n\nAsk for full access";
        QTest::newRow("reminder") << "Reminder: stand up"
                                  << "Reminder"
                                  << "bell.badge.fill" << orange << ": stand up";
        QTest::newRow("cronjob with job name") << "Cronjob Response: Daily digest\n---\nLine one\nLine two"
                                               << "Daily digest"
                                               << "bell.badge.fill" << orange << "Line one\nLine two";
        QTest::newRow("cronjob alone") << "Cronjob Response:"
                                       << "Cronjob reminder"
                                       << "bell.badge.fill" << orange << "";
        QTest::newRow("cronjob drops long rules only")
            << "Cronjob Response: Job\n-----\nkeep -- this\n--\nend"
            << "Job"
            << "bell.badge.fill" << orange << "keep -- this\n--\nend";
        QTest::newRow("agent waiting, any case")
            << "The MAC AGENT is Waiting for you\nsecond"
            << "Mac agent waiting"
            << "hourglass" << orange << "The MAC AGENT is Waiting for you\nsecond";
    }
    void noticeClassification()
    {
        QFETCH(QString, text);
        QFETCH(QString, title);
        QFETCH(QString, symbol);
        QFETCH(int, tint);
        QFETCH(QString, body);
        const auto notice = ChatNotice::chatNotice(text);
        QVERIFY(notice.has_value());
        QCOMPARE(notice->title, title);
        QCOMPARE(notice->symbol, symbol);
        QCOMPARE(int(notice->tint), tint);
        QCOMPARE(notice->body, body);
    }

    void ordinaryTextIsNoNotice_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << "";
        QTest::newRow("plain") << "Hello there";
        QTest::newRow("marker on second line") << "Status\nMac task finished";
        QTest::newRow("warning sign not first") << "Note ⚠️ careful";
        QTest::newRow("warning sign without selector") << "⚠ careful";
        QTest::newRow("reminder not first") << "A Reminder";
        QTest::newRow("lower-case marker") << "mac task finished";
        QTest::newRow("agent without waiting") << "mac agent done";
    }
    void ordinaryTextIsNoNotice()
    {
        QFETCH(QString, text);
        QVERIFY(!ChatNotice::chatNotice(text).has_value());
    }

    void outgoingBannerTintIsDarkened()
    {
        const QColor tint(200, 100, 40);
        QCOMPARE(ChatNotice::bannerTint(tint, false), tint);
        const QColor darker = ChatNotice::bannerTint(tint, true);
        QCOMPARE(darker.red(), 150);
        QCOMPARE(darker.green(), 75);
        QCOMPARE(darker.blue(), 30);
        QCOMPARE(ChatNotice::badgeFill(tint).alpha(), qRound(0.16 * 255));
        QCOMPARE(ChatNotice::tintColor(NoticeTint::botAccent, AppTheme::ocean, true),
                 AppTheme(AppTheme::ocean).botColors().light);
    }

    void statusLists_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("isList");
        QTest::addColumn<QString>("heading");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("heading and two items")
            << "Services\n🔴 db down\n🟣 cache warming" << true << "Services"
            << QStringList{"red:db down", "purple:cache warming"};
        QTest::newRow("two heading lines, trimmed text")
            << "\n  Today\nStatus:\n🟣 a\n🟣 b\n🔴 c  \n"
            << true << "Today\nStatus:" << QStringList{"purple:a", "purple:b", "red:c"};
        QTest::newRow("list on the first line") << "🔴 a\n🔴 b" << false << "" << QStringList{};
        QTest::newRow("one item only") << "Head\n🔴 a" << false << "" << QStringList{};
        QTest::newRow("plain line after the list")
            << "Head\n🔴 a\n🟣 b\nfooter" << false << "" << QStringList{};
        QTest::newRow("marker without space") << "Head\n🔴a\n🔴b" << false << "" << QStringList{};
        QTest::newRow("no markers") << "Head\nbody" << false << "" << QStringList{};
    }
    void statusLists()
    {
        QFETCH(QString, text);
        QFETCH(bool, isList);
        QFETCH(QString, heading);
        QFETCH(QStringList, items);
        const auto list = StatusList::statusList(text);
        QCOMPARE(list.has_value(), isList);
        if (!list)
            return;
        QCOMPARE(list->heading, heading);
        QStringList got;
        for (const auto &item : list->items)
            got << (item.color == StatusList::Color::red ? "red:" : "purple:") + item.text;
        QCOMPARE(got, items);
    }

    void renderItemsTurnLinkOnlyLinesIntoButtons()
    {
        const QList<Segment> segments{
            Segment::makeText("Read more:\n"),  Segment::makeLink("Docs", "https://example.org/docs"),
            Segment::makeText(" · "),           Segment::makeLink(" Blog ", "HTTP://example.org/blog"),
            Segment::makeText("\nSee "),        Segment::makeLink("this page", "https://example.org/x"),
            Segment::makeText(" for details."),
        };
        const QList<MessageRenderItem> items = RenderItems::renderItems(segments);
        const QList<MessageRenderItem> expected{
            MessageRenderItem::makeSegment(Segment::makeText("Read more:")),
            MessageRenderItem::makeLinkButtons(
                {{"Docs", "https://example.org/docs"}, {"Blog", "HTTP://example.org/blog"}}),
            MessageRenderItem::makeSegment(Segment::makeText("See ")),
            MessageRenderItem::makeSegment(Segment::makeLink("this page", "https://example.org/x")),
            MessageRenderItem::makeSegment(Segment::makeText(" for details.")),
        };
        QCOMPARE(items, expected);
    }

    void renderItemsKeepMixedLinkLines_data()
    {
        QTest::addColumn<QList<Segment>>("segments");
        QTest::newRow("non-web link")
            << QList<Segment>{Segment::makeLink("Open", "https://a.org"), Segment::makeText(" | "),
                              Segment::makeLink("Chat", "tg://resolve?domain=x")};
        QTest::newRow("blank link title") << QList<Segment>{Segment::makeLink("  ", "https://a.org")};
        QTest::newRow("words beside the link")
            << QList<Segment>{Segment::makeText("Go: "), Segment::makeLink("A", "https://a.org")};
        QTest::newRow("no link") << QList<Segment>{Segment::makeText(" · | ")};
    }
    void renderItemsKeepMixedLinkLines()
    {
        QFETCH(QList<Segment>, segments);
        for (const MessageRenderItem &item : RenderItems::renderItems(segments))
            QCOMPARE(item.kind, MessageRenderItem::Kind::segment);
    }

    void renderItemsBreakLinesAtBlocks()
    {
        const Segment code = Segment::makeCode("python", "print(1)");
        const Segment audio =
            Segment::makeAttachment(Segment::AttachmentKind::Audio, "7", "a.ogg", std::nullopt);
        const QList<Segment> segments{Segment::makeLink("A", "https://a.org"), code,
                                      Segment::makeText("line one\n\nline three"), audio};
        const QList<MessageRenderItem> expected{
            MessageRenderItem::makeLinkButtons({{"A", "https://a.org"}}),
            MessageRenderItem::makeSegment(code),
            MessageRenderItem::makeSegment(Segment::makeText("line one\n")),
            MessageRenderItem::makeSegment(Segment::makeText("\n")),
            MessageRenderItem::makeSegment(Segment::makeText("line three")),
            MessageRenderItem::makeSegment(audio),
        };
        QCOMPARE(RenderItems::renderItems(segments), expected);
        QVERIFY(RenderItems::renderItems({}).isEmpty());
    }

    void listLinesLoosenSpacing_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("list");
        QTest::newRow("dash") << "Steps:\n  - one" << true;
        QTest::newRow("bullet") << "• one" << true;
        QTest::newRow("star") << "* one" << true;
        QTest::newRow("numbered dot") << "intro\n12. twelve" << true;
        QTest::newRow("numbered paren") << "3) three" << true;
        QTest::newRow("dash without space") << "-one" << false;
        QTest::newRow("number without space") << "3.14 is pi" << false;
        QTest::newRow("plain") << "just text" << false;
    }
    void listLinesLoosenSpacing()
    {
        QFETCH(QString, text);
        QFETCH(bool, list);
        QCOMPARE(RenderItems::hasListLines(text), list);
        QCOMPARE(RenderItems::bodySpacing(text).paragraphSpacing, list ? 6.0 : 0.0);
    }

    void reactionPrefixes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("emoji");
        QTest::addColumn<QString>("rest");
        QTest::newRow("thumbs up") << "👍 Nice work"
                                   << "👍"
                                   << "Nice work";
        QTest::newRow("thumbs down") << "👎 multi\nline"
                                     << "👎"
                                     << "multi\nline";
        QTest::newRow("heart with selector") << "❤️ thanks"
                                             << "❤️"
                                             << "thanks";
        QTest::newRow("bare heart") << "❤ thanks"
                                    << "❤"
                                    << "thanks";
        QTest::newRow("empty rest") << "👍 "
                                    << "👍"
                                    << "";
        QTest::newRow("no space") << "👍Nice"
                                  << ""
                                  << "";
        QTest::newRow("other emoji") << "🔥 hot"
                                     << ""
                                     << "";
        QTest::newRow("not at start") << "a 👍 b"
                                      << ""
                                      << "";
    }
    void reactionPrefixes()
    {
        QFETCH(QString, text);
        QFETCH(QString, emoji);
        QFETCH(QString, rest);
        const auto reaction = ReactionMessage::parse(text);
        QCOMPARE(reaction.has_value(), !emoji.isEmpty());
        if (reaction) {
            QCOMPARE(reaction->emoji, emoji);
            QCOMPARE(reaction->rest, rest);
        }
    }

    void quickReactionQuotesTheFullText()
    {
        BotMessage message;
        message.text = "Line one\nLine two";
        const QString sent = QuickReaction::text(QuickReaction::thumbsUp, message);
        QCOMPARE(sent, QString("👍 Line one\nLine two"));
        QCOMPARE(ReactionMessage::parse(sent)->rest, message.text);
    }

    void codeColouring_data()
    {
        QTest::addColumn<QString>("source");
        // One letter per character: k keyword, n number, s string, c comment, . base.
        QTest::addColumn<QString>("roles");
        QTest::newRow("keywords and numbers") << "if x in 3.14:"
                                              << "kk...kk.nnnn.";
        QTest::newRow("comment containing a string") << "x = 1  # say \"hi\""
                                                     << "....n..cccccccccc";
        QTest::newRow("keyword inside a string") << "'for'"
                                                 << "sssss";
        QTest::newRow("keyword inside a comment") << "# return"
                                                  << "cccccccc";
        QTest::newRow("escaped quote stays in string") << "\"a\\\"b\" 2"
                                                       << "ssssss.n";
        QTest::newRow("digits inside a name") << "x1 = None"
                                              << ".....kkkk";
        QTest::newRow("comment ends at line end") << "#c\nTrue"
                                                  << "cc.kkkk";
    }
    void codeColouring()
    {
        QFETCH(QString, source);
        QFETCH(QString, roles);
        const auto actual = CodeHighlighter::characterRoles(source);
        QString got;
        for (const auto &role : actual)
            got += !role                   ? '.'
                   : role == Role::keyword ? 'k'
                   : role == Role::number  ? 'n'
                   : role == Role::string  ? 's'
                                           : 'c';
        QCOMPARE(got, roles);
    }

    void codeRangesComeInApplicationOrder()
    {
        const auto ranges = CodeHighlighter::ranges("# 'x' 1");
        QList<Role> order;
        for (const auto &range : ranges)
            order << range.role;
        QCOMPARE(order, (QList<Role>{Role::number, Role::string, Role::comment}));
        QCOMPARE(ranges.last(), (CodeHighlighter::Range{0, 7, Role::comment}));
        QCOMPARE(CodeHighlighter::color(Role::comment), ChatStyle::secondary());
    }

    void messageTimeIsAShortTimeOfDay()
    {
        const QTimeZone utc = QTimeZone::utc();
        const QLocale english(QLocale::English, QLocale::UnitedStates);
        QCOMPARE(MessageTime::shortTime(1700000000, english, utc),
                 english.toString(QTime(22, 13), QLocale::ShortFormat));
        // Synthetic rows and absurd dates show no time rather than a wrong one.
        QCOMPARE(MessageTime::shortTime(BotMessage::distantPast, english, utc), QString());
        QCOMPARE(MessageTime::shortTime(std::numeric_limits<qint64>::max(), english, utc), QString());
    }

    void attachmentButtons_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("playing");
        QTest::addColumn<QString>("title");
        using K = Segment::AttachmentKind;
        QTest::newRow("audio local") << int(K::Audio) << "/tmp/a.ogg" << false << "Play";
        QTest::newRow("audio playing") << int(K::Audio) << "/tmp/a.ogg" << true << "Pause";
        QTest::newRow("audio remote") << int(K::Audio) << "" << false << "Download";
        QTest::newRow("document local") << int(K::Document) << "/tmp/d.zip" << false << "Save";
        QTest::newRow("image local") << int(K::Image) << "/tmp/p.jpg" << false << "Save";
        QTest::newRow("pdf local") << int(K::Pdf) << "/tmp/f.pdf" << false << "Open";
        QTest::newRow("pdf remote") << int(K::Pdf) << "" << false << "Download";
    }
    void attachmentButtons()
    {
        QFETCH(int, kind);
        QFETCH(QString, path);
        QFETCH(bool, playing);
        QFETCH(QString, title);
        const auto segment = Segment::makeAttachment(Segment::AttachmentKind(kind), "1", "name",
                                                     path.isEmpty() ? std::nullopt : std::optional(path));
        using namespace AttachmentPresentation;
        QCOMPARE(buttonTitle(buttonAction(segment, playing)), title);
    }

    void attachmentEdgeCases()
    {
        using namespace AttachmentPresentation;
        // An empty local path is no file.
        auto segment = Segment::makeAttachment(Segment::AttachmentKind::Image, "1", "p", QString());
        QCOMPARE(buttonAction(segment, false), ButtonAction::download);
        QCOMPARE(imagePreviewSize({1200, 600}, 800), QSizeF(600, 300));
        QCOMPARE(imagePreviewSize({400, 2000}, 800), QSizeF(104, 520));
        QCOMPARE(imagePreviewSize({200, 100}, 800), QSizeF(200, 100));
        // A sliver keeps a visible height.
        QCOMPARE(imagePreviewSize({100000, 1}, 300), QSizeF(300, 3));
        QCOMPARE(imagePreviewSize({0, 0}, 300), QSizeF(300, 300));
        QVERIFY(needsConversion("/x/voice.OGA"));
        QVERIFY(!needsConversion("/x/voice.m4a"));
        QCOMPARE(conversionArguments("in.ogg", "out.wav"),
                 QStringList({"-y", "-i", "in.ogg", "-vn", "-ac", "1", "-ar", "48000", "-c:a", "pcm_s16le",
                              "out.wav"}));
        QCOMPARE(unsupportedMessageURL("-1001", "42").value(),
                 QString("tg://openmessage?chat_id=-1001&message_id=42"));
        QVERIFY(!unsupportedMessageURL("", "42").has_value());
        QCOMPARE(unsupportedMessageURL("1&x=2", "3").value(),
                 QString("tg://openmessage?chat_id=1%26x%3D2&message_id=3"));
    }
};

TESSALY_TEST_GUILESS_MAIN(TestMessageRows)
#include "test_messagerows.moc"
