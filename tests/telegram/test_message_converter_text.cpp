#include "support/TestMain.h"
#include "telegram/ContentLabels.h"
#include "telegram/FormattedText.h"
#include "telegram/RichMessageText.h"
#include "test_message_converter_support.h"

#include <QJsonArray>
#include <QtTest>

namespace {

QString entity(int offset, int length, const QString &type)
{
    return utf8(R"({"@type":"textEntity","offset":%1,"length":%2,"type":%3})")
        .arg(offset)
        .arg(length)
        .arg(type);
}

const QString pre = utf8(R"({"@type":"textEntityTypePre"})");
const QString url = utf8(R"({"@type":"textEntityTypeUrl"})");
QString preCode(const QString &language)
{
    return utf8(R"({"@type":"textEntityTypePreCode","language":"%1"})").arg(language);
}
QString textUrl(const QString &address)
{
    return utf8(R"({"@type":"textEntityTypeTextUrl","url":"%1"})").arg(address);
}

} // namespace

class TestMessageConverterText : public QObject
{
    Q_OBJECT
private slots:
    void formattedTextSegments_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("entities");
        QTest::addColumn<QStringList>("segments");

        QTest::newRow("no entities") << "plain"
                                     << "[]" << QStringList{"text(plain)"};
        QTest::newRow("empty text") << ""
                                    << "[]" << QStringList{"text()"};
        QTest::newRow("styles stay plain") << "bold and @me"
                                           << "[" + entity(0, 4, R"({"@type":"textEntityTypeBold"})") + "," +
                                                  entity(9, 3, R"({"@type":"textEntityTypeMention"})") + "]"
                                           << QStringList{"text(bold and @me)"};
        QTest::newRow("text link on last word")
            << "read the docs"
            << "[" + entity(9, 4, textUrl("https://d.io")) + "]"
            << QStringList{"text(read the )", "link(docs -> https://d.io)"};
        QTest::newRow("bare url links to itself")
            << "go x.io now"
            << "[" + entity(3, 4, url) + "]" << QStringList{"text(go )", "link(x.io -> x.io)", "text( now)"};
        QTest::newRow("text link with empty url")
            << "here"
            << "[" + entity(0, 4, textUrl("")) + "]" << QStringList{"link(here -> here)"};
        QTest::newRow("code with and without language")
            << "a\nls\nb\nx=1"
            << "[" + entity(2, 2, pre) + "," + entity(7, 3, preCode("python")) + "]"
            << QStringList{"text(a\n)", "code[](ls)", "text(\nb\n)", "code[python](x=1)"};
        QTest::newRow("unsorted entities") << "ab cd"
                                           << "[" + entity(3, 2, url) + "," + entity(0, 2, url) + "]"
                                           << QStringList{"link(ab -> ab)", "text( )", "link(cd -> cd)"};
        QTest::newRow("adjacent entities") << "abcd"
                                           << "[" + entity(0, 2, pre) + "," + entity(2, 2, pre) + "]"
                                           << QStringList{"code[](ab)", "code[](cd)"};
        QTest::newRow("overlapping code: second ignored")
            << "0123456789"
            << "[" + entity(0, 6, preCode("c")) + "," + entity(3, 5, pre) + "]"
            << QStringList{"code[c](012345)", "text(6789)"};
        QTest::newRow("same start: first in input order wins")
            << "abcdef"
            << "[" + entity(0, 3, url) + "," + entity(0, 6, pre) + "]"
            << QStringList{"link(abc -> abc)", "text(def)"};
        // 😀 is one character but two UTF-16 units.
        QTest::newRow("offsets count surrogate pairs twice")
            << "😀 see x.io"
            << "[" + entity(7, 4, url) + "]" << QStringList{"text(😀 see )", "link(x.io -> x.io)"};
        QTest::newRow("emoji inside an entity")
            << "a😀b"
            << "[" + entity(0, 4, pre) + "]" << QStringList{"code[](a😀b)"};
        QTest::newRow("end beyond text counted in UTF-16")
            << "😀ab"
            << "[" + entity(2, 3, url) + "]" << QStringList{"text(😀ab)"};
        QTest::newRow("end exactly at UTF-16 length")
            << "😀ab"
            << "[" + entity(2, 2, url) + "]" << QStringList{"text(😀)", "link(ab -> ab)"};
        QTest::newRow("start splits a surrogate pair")
            << "😀ab"
            << "[" + entity(1, 3, url) + "]" << QStringList{"text(😀ab)"};
        QTest::newRow("end splits a surrogate pair")
            << "a😀b"
            << "[" + entity(0, 2, pre) + "]" << QStringList{"text(a😀b)"};
        QTest::newRow("negative offset") << "abc"
                                         << "[" + entity(-1, 2, pre) + "]" << QStringList{"text(abc)"};
        QTest::newRow("zero length") << "abc"
                                     << "[" + entity(1, 0, pre) + "]" << QStringList{"text(abc)"};
        QTest::newRow("negative length") << "abc"
                                         << "[" + entity(2, -2, pre) + "]" << QStringList{"text(abc)"};
        QTest::newRow("huge values")
            << "abc"
            << R"([{"offset":9007199254740992,"length":9007199254740992,"type":{"@type":"textEntityTypePre"}}])"
            << QStringList{"text(abc)"};
        QTest::newRow("offset as text or missing")
            << "abc"
            << R"([{"offset":"x","length":1,"type":{"@type":"textEntityTypePre"}},{"length":1,"type":{"@type":"textEntityTypePre"}}])"
            << QStringList{"text(abc)"};
        QTest::newRow("entries that are not entities") << "abc"
                                                       << R"([5,"x",null,{}])" << QStringList{"text(abc)"};
        QTest::newRow("invalid entity on empty text") << ""
                                                      << "[" + entity(0, 1, pre) + "]" << QStringList{};
    }
    void formattedTextSegments()
    {
        QFETCH(QString, text);
        QFETCH(QString, entities);
        QFETCH(QStringList, segments);
        const QJsonArray list = json(utf8(R"({"e":%1})").arg(entities)).value("e").toArray();
        QCOMPARE(describe(MessageConverter::formattedTextSegments(text, list)), segments);
    }

    void richText_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("plain string") << R"("x")"
                                      << "x";
        QTest::newRow("styled, nested")
            << R"({"@type":"richTextBold","text":{"@type":"richTextItalic","text":{"@type":"richTextPlain","text":"deep"}}})"
            << "deep";
        QTest::newRow("concatenation")
            << R"({"@type":"richTexts","texts":["a",{"@type":"richTextPlain","text":"b"},"c"]})"
            << "abc";
        QTest::newRow("custom emoji")
            << R"({"@type":"richTextCustomEmoji","custom_emoji_id":"1","alternative_text":"😺"})"
            << "😺";
        QTest::newRow("formula") << R"({"@type":"richTextMathematicalExpression","expression":"e=mc^2"})"
                                 << "e=mc^2";
        QTest::newRow("anchor has no text") << R"({"@type":"richTextAnchor","name":"a"})"
                                            << "";
        QTest::newRow("number") << "5"
                                << "";
    }
    void richText()
    {
        QFETCH(QString, value);
        QFETCH(QString, text);
        const QJsonValue v = json(utf8(R"({"v":%1})").arg(value)).value("v");
        QCOMPARE(MessageConverter::richText(v), text);
    }

    void pageBlockText_data()
    {
        QTest::addColumn<QString>("blocks");
        QTest::addColumn<QString>("text");
        QTest::newRow("text blocks name their field")
            << R"([{"@type":"pageBlockTitle","title":"T"},{"@type":"pageBlockSubtitle","subtitle":"S"},
                  {"@type":"pageBlockHeader","header":"H"},{"@type":"pageBlockSubheader","subheader":"SH"},
                  {"@type":"pageBlockKicker","kicker":"K"},{"@type":"pageBlockParagraph","text":"P"},
                  {"@type":"pageBlockFooter","footer":"F"},{"@type":"pageBlockAuthorDate","author":"A","publish_date":1},
                  {"@type":"pageBlockMathematicalExpression","expression":"x+1"},{"@type":"pageBlockDivider"}])"
            << "T\nS\nH\nSH\nK\nP\nF\nA\nx+1";
        QTest::newRow("list with labels and checkboxes") << R"([{"@type":"pageBlockList","items":[
                  {"label":"1.","blocks":[{"@type":"pageBlockParagraph","text":"one"}]},
                  {"label":"x","has_checkbox":true,"is_checked":true,"blocks":[{"@type":"pageBlockParagraph","text":"done"}]},
                  {"has_checkbox":true,"blocks":[{"@type":"pageBlockParagraph","text":"open"}]},
                  {"label":"","blocks":[{"@type":"pageBlockParagraph","text":"bare"}]}]}])"
                                                         << "1. one\n☑ done\n☐ open\nbare";
        QTest::newRow("table rows") << R"([{"@type":"pageBlockTable","caption":"Prices","cells":[
                  [{"text":"a"},{"text":"b"}],[{"text":"1"},{},{"text":"3"}]]}])"
                                    << "Prices\na  ·  b\n1  ·    ·  3";
        QTest::newRow("quotes with nested blocks and credit")
            << R"([{"@type":"pageBlockBlockQuote","blocks":[{"@type":"pageBlockParagraph","text":"q"}],"credit":"me"},
                  {"@type":"pageBlockPullQuote","text":"pull","credit":""},
                  {"@type":"pageBlockExpandableBlockQuote","text":"more","credit":"you"}])"
            << "q\nme\npull\nmore\nyou";
        QTest::newRow("containers and media captions")
            << R"([{"@type":"pageBlockDetails","header":"Open me","blocks":[{"@type":"pageBlockParagraph","text":"inside"}]},
                  {"@type":"pageBlockCover","cover":{"@type":"pageBlockPhoto","caption":{"@type":"pageBlockCaption","text":"cover","credit":"cam"}}},
                  {"@type":"pageBlockCollage","blocks":[],"caption":{"@type":"pageBlockCaption","text":"grid"}},
                  {"@type":"pageBlockDocument","caption":{"@type":"pageBlockCaption","text":"file"}},
                  {"@type":"pageBlockRelatedArticles","header":"More","articles":[{"title":"A1"},{"title":"A2"}]},
                  {"@type":"pageBlockChatLink","title":"Chat"}])"
            << "Open me\ninside\ncover\ncam\ngrid\nfile\nMore\nA1\nA2\nChat";
        QTest::newRow("garbage entries") << R"([5,null,"x",{"@type":"pageBlockList","items":[7]}])"
                                         << "";
    }
    void pageBlockText()
    {
        QFETCH(QString, blocks);
        QFETCH(QString, text);
        const QJsonArray list = json(utf8(R"({"b":%1})").arg(blocks)).value("b").toArray();
        QCOMPARE(MessageConverter::pageBlockText(list), text);
    }

    void deepNestingStops()
    {
        QJsonObject block{{"@type", "pageBlockParagraph"}, {"text", "leaf"}};
        for (int i = 0; i < 500; ++i)
            block = QJsonObject{{"@type", "pageBlockBlockQuote"}, {"blocks", QJsonArray{block}}};
        QJsonValue text = QStringLiteral("leaf");
        for (int i = 0; i < 500; ++i)
            text = QJsonObject{{"@type", "richTextBold"}, {"text", text}};
        // Bounded depth: the leaves are too deep to reach, and nothing crashes.
        QCOMPARE(MessageConverter::pageBlockText(QJsonArray{block}), QString());
        QCOMPARE(MessageConverter::richText(text), QString());
    }

    void checklistText()
    {
        const QJsonObject list = json(R"({"title":{"text":"Trip"},"tasks":[
            {"text":{"text":"tickets"},"completion_date":1700000000},
            {"text":{"text":"bags"},"completion_date":0},
            {"text":{"text":"keys"}}]})");
        QCOMPARE(MessageConverter::checklistText(list), QStringLiteral("Trip\n☑ tickets\n☐ bags\n☐ keys"));
        QCOMPARE(MessageConverter::checklistText(QJsonObject{}), QString());
    }

    void labelsAndSymbols_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("symbol");
        QTest::newRow("expired video") << "messageExpiredVideo"
                                       << "Expired video"
                                       << "video";
        QTest::newRow("upgraded gift") << "messageUpgradedGift"
                                       << "Gift"
                                       << "gift";
        QTest::newRow("photo is spelled out") << "messagePhoto"
                                              << "Photo"
                                              << "photo";
        QTest::newRow("unknown, spelled out") << "messageChatSetMessageAutoDeleteTime"
                                              << "Chat set message auto delete time"
                                              << "paperclip";
        QTest::newRow("only the word") << "message"
                                       << "Message"
                                       << "paperclip";
        QTest::newRow("empty") << ""
                               << "Message"
                               << "paperclip";
        QTest::newRow("no prefix") << "fooBar"
                                   << "foo bar"
                                   << "paperclip";
    }
    void labelsAndSymbols()
    {
        QFETCH(QString, type);
        QFETCH(QString, label);
        QFETCH(QString, symbol);
        QCOMPARE(MessageConverter::mediaLabel(type), label);
        QCOMPARE(MessageConverter::mediaSymbol(type), symbol);
    }

    void giftSummary_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("content");
        QTest::addColumn<QString>("summary"); // empty: no summary
        QTest::newRow("gift without emoji") << "messageGift"
                                            << R"({"gift":{"sticker":{}}})"
                                            << "Gift";
        QTest::newRow("upgraded gift title") << "messageUpgradedGift"
                                             << R"({"gift":{"title":"Cap","model":{"name":"M"}}})"
                                             << "Cap";
        QTest::newRow("upgraded gift model") << "messageUpgradedGift"
                                             << R"({"gift":{"title":"","model":{"name":"M"}}})"
                                             << "M";
        QTest::newRow("premium days") << "messageGiftedPremium"
                                      << R"({"month_count":0,"day_count":7})"
                                      << "Telegram Premium gift, 7 days";
        QTest::newRow("premium no count") << "messageGiftedPremium"
                                          << "{}"
                                          << "Telegram Premium gift";
        QTest::newRow("stars") << "messageGiftedStars"
                               << R"({"star_count":250})"
                               << "250 Stars gift";
        QTest::newRow("stars zero") << "messageGiftedStars"
                                    << R"({"star_count":0})"
                                    << "Stars gift";
        QTest::newRow("grams") << "messageGiftedGrams"
                               << R"({"gram_amount":5})"
                               << "5 Gram gift";
        QTest::newRow("winners") << "messageGiveawayWinners"
                                 << R"({"winner_count":3})"
                                 << "Giveaway, 3 winners";
        QTest::newRow("no winners") << "messageGiveawayWinners"
                                    << R"({"winner_count":-1})"
                                    << "Giveaway winners";
        QTest::newRow("prize stars") << "messageGiveawayPrizeStars"
                                     << R"({"star_count":"1000"})"
                                     << "1000 Stars from a giveaway";
        QTest::newRow("offer rejected") << "messageUpgradedGiftPurchaseOfferRejected"
                                        << "{}"
                                        << "Gift purchase offer rejected";
        QTest::newRow("not a gift") << "messageText"
                                    << "{}"
                                    << "";
    }
    void giftSummary()
    {
        QFETCH(QString, type);
        QFETCH(QString, content);
        QFETCH(QString, summary);
        QCOMPARE(MessageConverter::giftSummary(type, json(content)).value_or(QString()), summary);
    }
};

TESSALY_TEST_GUILESS_MAIN(TestMessageConverterText)
#include "test_message_converter_text.moc"
