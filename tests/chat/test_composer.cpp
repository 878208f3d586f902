#include "chat/ComposerInput.h"
#include "chat/ComposerKeys.h"
#include "chat/ComposerTokens.h"
#include "chat/FontScale.h"
#include "support/TestMain.h"

#include <QtTest>

using ComposerTokens::Role;

class TestComposer : public QObject
{
    Q_OBJECT
private slots:
    void tokenColouring_data()
    {
        QTest::addColumn<QString>("text");
        // Each token as "c:" or "m:" followed by its text.
        QTest::addColumn<QStringList>("tokens");
        QTest::newRow("mac task") << "/mac lock the screen /mac" << QStringList{"c:/mac", "c:/mac"};
        QTest::newRow("command word only") << "/macro and /machine" << QStringList{};
        QTest::newRow("e-mail address colours nothing") << "write to anna@example.com" << QStringList{};
        QTest::newRow("address with dot before at") << "x.@y a_@b a%@c a+@d a-@e" << QStringList{};
        QTest::newRow("skill and variable")
            << "run @web-search with $API_KEY" << QStringList{"m:@web-search", "m:$API"};
        QTest::newRow("mention must start alphanumeric") << "@-x @ $ @_a" << QStringList{};
        QTest::newRow("after punctuation") << "(@notes), [/mac]" << QStringList{"m:@notes", "c:/mac"};
        QTest::newRow("path is not a command") << "see a/mac or x./mac" << QStringList{};
        QTest::newRow("unicode letter before") << "é@skill" << QStringList{"m:@skill"};
        QTest::newRow("empty") << "" << QStringList{};
    }
    void tokenColouring()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, tokens);
        QStringList got;
        for (const auto &token : ComposerTokens::tokens(text))
            got << (token.role == Role::command ? "c:" : "m:") + text.mid(token.start, token.length);
        QCOMPARE(got, tokens);
    }

    void tokenColoursComeFromTheTheme()
    {
        const AppTheme theme = AppTheme::ember;
        QCOMPARE(ComposerTokens::color(Role::command, theme), theme.botColors());
        QCOMPARE(ComposerTokens::color(Role::mention, theme), theme.accountColors());
        for (const AppTheme t : AppTheme::allCases()) {
            QVERIFY(ComposerTokens::color(Role::command, t).dark !=
                    ComposerTokens::color(Role::mention, t).dark);
            QVERIFY(ComposerTokens::color(Role::command, t).light !=
                    ComposerTokens::color(Role::mention, t).light);
        }
    }

    void skillQuery_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("caret");
        QTest::addColumn<bool>("found");
        QTest::addColumn<int>("start");
        QTest::addColumn<QString>("prefix");
        QTest::newRow("bare at") << "run @" << 5 << true << 4 << "";
        QTest::newRow("partial name, lower-cased") << "run @WeB" << 8 << true << 4 << "web";
        QTest::newRow("caret inside the token") << "@notes later" << 3 << true << 0 << "no";
        QTest::newRow("after a space") << "@notes " << 7 << false << 0 << "";
        QTest::newRow("e-mail") << "anna@exa" << 8 << false << 0 << "";
        QTest::newRow("after a line break") << "@web\n" << 5 << false << 0 << "";
        QTest::newRow("caret beyond the text") << "@a" << 9 << false << 0 << "";
        QTest::newRow("negative caret") << "@a" << -1 << false << 0 << "";
    }
    void skillQuery()
    {
        QFETCH(QString, text);
        QFETCH(int, caret);
        QFETCH(bool, found);
        QFETCH(int, start);
        QFETCH(QString, prefix);
        const auto query = ComposerTokens::skillQuery(text, caret);
        QCOMPARE(query.has_value(), found);
        if (query) {
            QCOMPARE(int(query->start), start);
            QCOMPARE(int(query->start + query->length), caret);
            QCOMPARE(query->prefix, prefix);
        }
    }

    void commitSkillReplacesTheToken()
    {
        const QString text = "please @we now";
        const auto query = ComposerTokens::skillQuery(text, 10).value();
        const auto edit = ComposerTokens::commitSkill(text, query.start, query.length, "web-search");
        QCOMPARE(edit, (ComposerTokens::Edit{7, 3, "@web-search "}));
        // A stale range leaves the text alone.
        QVERIFY(!ComposerTokens::commitSkill("ab", 1, 5, "x"));
        QVERIFY(!ComposerTokens::commitSkill("ab", -1, 1, "x"));
    }

    void returnKey_data()
    {
        using A = ComposerKeys::ReturnAction;
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("action");
        QTest::newRow("return sends") << int(Qt::Key_Return) << int(Qt::NoModifier) << int(A::send);
        QTest::newRow("keypad enter sends") << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << int(A::send);
        QTest::newRow("shift inserts a line break")
            << int(Qt::Key_Return) << int(Qt::ShiftModifier) << int(A::insertLineBreak);
        QTest::newRow("control runs the Mac task")
            << int(Qt::Key_Return) << int(Qt::ControlModifier) << int(A::runAsMacTask);
        QTest::newRow("shift wins over control")
            << int(Qt::Key_Enter) << int(Qt::ShiftModifier | Qt::ControlModifier) << int(A::insertLineBreak);
        QTest::newRow("alt still sends") << int(Qt::Key_Return) << int(Qt::AltModifier) << int(A::send);
        QTest::newRow("other key") << int(Qt::Key_A) << int(Qt::ControlModifier) << int(A::notReturn);
    }
    void returnKey()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(int, action);
        QCOMPARE(int(ComposerKeys::returnAction(key, Qt::KeyboardModifiers(modifiers))), action);
    }

    void skillPopupKeys()
    {
        using A = ComposerKeys::PopupAction;
        QCOMPARE(ComposerKeys::skillPopupAction(Qt::Key_Tab), A::commit);
        QCOMPARE(ComposerKeys::skillPopupAction(Qt::Key_Return), A::commit);
        QCOMPARE(ComposerKeys::skillPopupAction(Qt::Key_Escape), A::dismiss);
        QCOMPARE(ComposerKeys::skillPopupAction(Qt::Key_Down), A::moveDown);
        QCOMPARE(ComposerKeys::skillPopupAction(Qt::Key_Up), A::moveUp);
        QCOMPARE(ComposerKeys::skillPopupAction(Qt::Key_B), A::none);
    }

    void inputHeightGrowsFromTwoToFiveLines_data()
    {
        QTest::addColumn<qreal>("used");
        QTest::addColumn<qreal>("height");
        // A 15-point line and a 1-point inset: 32 to 77 points.
        QTest::newRow("empty text") << 0.0 << 32.0;
        QTest::newRow("one line") << 15.0 << 32.0;
        QTest::newRow("three lines") << 45.0 << 47.0;
        QTest::newRow("fraction rounds up") << 45.2 << 48.0;
        QTest::newRow("five lines") << 75.0 << 77.0;
        QTest::newRow("eight lines scroll") << 120.0 << 77.0;
        QTest::newRow("negative measure") << -10.0 << 32.0;
        QTest::newRow("not a number") << qQNaN() << 32.0;
    }
    void inputHeightGrowsFromTwoToFiveLines()
    {
        QFETCH(qreal, used);
        QFETCH(qreal, height);
        QCOMPARE(ComposerInput::messageInputHeight(used, 15.0), height);
    }

    void inputHeightWithoutFontAndCollapsed()
    {
        const auto bounds = ComposerInput::heightBounds(std::nullopt);
        QCOMPARE(bounds.minimum, 30.0);
        QCOMPARE(bounds.maximum, 72.0);
        QCOMPARE(ComposerInput::constraintHeight(60, true), 26.0);
        QCOMPARE(ComposerInput::constraintHeight(60, false), 60.0);
    }

    void fontScaleStaysWithinBounds()
    {
        FontScale scale;
        QCOMPARE(scale.label(), QString("100%"));
        QStringList up;
        while (scale.increase())
            up << scale.label();
        QCOMPARE(up, QStringList({"110%", "120%", "130%", "140%", "150%", "160%"}));
        QCOMPARE(scale.value(), 1.6);
        QVERIFY(!scale.increase());
        QCOMPARE(scale.value(), 1.6);
        int steps = 0;
        while (scale.decrease())
            ++steps;
        QCOMPARE(steps, 8);
        QCOMPARE(scale.value(), 0.8);
        QCOMPARE(scale.label(), QString("80%"));
        QVERIFY(!scale.decrease());
    }

    void fontScaleLabelTruncates_data()
    {
        QTest::addColumn<qreal>("scale");
        QTest::addColumn<QString>("label");
        QTest::newRow("drifted up") << 1.0 + 0.1 << "110%";
        QTest::newRow("drifted down") << 1.6 - 0.1 - 0.1 - 0.1 << "130%";
        QTest::newRow("truncates") << 1.157 << "115%";
    }
    void fontScaleLabelTruncates()
    {
        QFETCH(qreal, scale);
        QFETCH(QString, label);
        QCOMPARE(FontScale::label(scale), label);
    }

    void windowWidthFollowsTheScaleFromItsBase()
    {
        ScaledWindowWidth width;
        QCOMPARE(width.widthFor(365, 1.0, 1.1), 401.5);
        width.applied(402);
        // Rounded widths do not feed the next step: the base stays 365.
        QCOMPARE(width.widthFor(402, 1.1, 1.2), 438.0);
        width.applied(438);
        // Held at a minimum on the way down, the width still comes back exactly.
        QCOMPARE(width.widthFor(438, 1.2, 0.8), 292.0);
        width.applied(300);
        QCOMPARE(width.widthFor(300, 0.8, 1.0), 365.0);
        width.applied(365);
        // A width the user chose is the new base.
        QCOMPARE(width.widthFor(500, 1.0, 1.2), 600.0);
        QCOMPARE(FontScale::minimumWindowWidth(0.8), 300);
        QCOMPARE(FontScale::minimumWindowWidth(1.1), 330);
        QCOMPARE(FontScale::minimumWindowWidth(1.6), 480);
    }

    void draftAndReplyTexts()
    {
        using namespace ComposerInput;
        QCOMPARE(draftText("  hello\n "), QString("hello"));
        QVERIFY(!canSend("   \n", true));
        QVERIFY(!canSend("hi", false));
        QVERIFY(canSend("hi", true));
        QCOMPARE(placeholder(std::nullopt), QString("Message this bot"));
        QCOMPARE(placeholder(QString("Weather Bot")), QString("Message Weather Bot"));
        BotMessage target;
        target.text = "first\n\n  second  \n";
        QCOMPARE(replyPreview(target), QString("first second"));
        QCOMPARE(replyHeading(target), QString("Replying to Bot"));
        target.isOutgoing = true;
        QCOMPARE(replyHeading(target), QString("Replying to You"));
    }
};

TESSALY_TEST_GUILESS_MAIN(TestComposer)
#include "test_composer.moc"
