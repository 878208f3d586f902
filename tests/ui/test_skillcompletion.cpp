// The "@skill" popup and the composer's completion keys.
#include "support/TestMain.h"
#include "ui/ComposerTextView.h"
#include "ui/SkillCompletionController.h"

#include <QListWidget>
#include <QtTest>

namespace {

QStringList names(int count)
{
    QStringList list;
    for (int i = 0; i < count; ++i)
        list << QStringLiteral("skill-%1").arg(i, 2, 10, QLatin1Char('0'));
    return list;
}

} // namespace

class TestSkillCompletion : public QObject
{
    Q_OBJECT

    // A composer with a popup whose names start with the typed prefix.
    struct Composer
    {
        QStringList installed;
        SkillCompletionController popup;
        ComposerTextView input;

        explicit Composer(const QStringList &skills) : installed(skills)
        {
            input.skillCompletion = &popup;
            input.skillNameProvider = [this](const QString &prefix) {
                QStringList matching;
                for (const QString &name : std::as_const(installed))
                    if (name.toLower().startsWith(prefix))
                        matching << name;
                return matching;
            };
            popup.onCommit = [this](const QString &name) { input.commitSkill(name); };
            input.resize(300, 60);
            input.show();
            input.setFocus();
        }
        void type(const QString &text) { QTest::keyClicks(&input, text); }
    };

private slots:
    void returnInsertsTheNameAndASpace()
    {
        Composer c({"summarize", "summary", "web-search"});
        QSignalSpy sends(&c.input, &ComposerTextView::sendRequested);
        c.type("please @sum");
        QVERIFY(c.popup.isVisible());
        QCOMPARE(c.popup.matches(), QStringList({"summarize", "summary"}));
        QCOMPARE(c.input.skillTokenRange, (std::pair<qsizetype, qsizetype>(7, 4)));
        QTest::keyClick(&c.input, Qt::Key_Down);
        QTest::keyClick(&c.input, Qt::Key_Return);
        QCOMPARE(c.input.toPlainText(), QString("please @summary "));
        QCOMPARE(c.input.textCursor().position(), 16);
        QVERIFY(!c.popup.isVisible());
        QVERIFY(c.popup.matches().isEmpty());
        QVERIFY(!c.input.skillTokenRange);
        QCOMPARE(sends.count(), 0);
    }

    void tabCommitsAndEscapeForgetsTheToken()
    {
        Composer c({"web-search"});
        c.type("@w");
        QTest::keyClick(&c.input, Qt::Key_Tab);
        QCOMPARE(c.input.toPlainText(), QString("@web-search "));

        c.type("and @we");
        QVERIFY(c.popup.isVisible());
        QTest::keyClick(&c.input, Qt::Key_Escape);
        QVERIFY(!c.popup.isVisible());
        QVERIFY(!c.input.skillTokenRange);
        // Without the popup, Return is the composer's own again.
        QSignalSpy sends(&c.input, &ComposerTextView::sendRequested);
        QTest::keyClick(&c.input, Qt::Key_Return);
        QCOMPARE(sends.count(), 1);
        QCOMPARE(c.input.toPlainText(), QString("@web-search and @we"));
    }

    void noMatchOrAnEmailAddressOffersNothing()
    {
        Composer c({"alpha"});
        c.type("mail me@al");
        QVERIFY(!c.popup.isVisible());
        c.type(" @b");
        QVERIFY(!c.popup.isVisible());
        QVERIFY(!c.input.skillTokenRange);
    }

    void upOnTheFirstRowHighlightsTheLast()
    {
        Composer c(names(4));
        c.type("@");
        QCOMPARE(c.popup.selectedRow(), 0);
        QTest::keyClick(&c.input, Qt::Key_Up);
        QCOMPARE(c.popup.selectedRow(), 3);
        QTest::keyClick(&c.input, Qt::Key_Down);
        QCOMPARE(c.popup.selectedRow(), 0);
        QTest::keyClick(&c.input, Qt::Key_Up);
        QTest::keyClick(&c.input, Qt::Key_Return);
        QCOMPARE(c.input.toPlainText(), QString("@skill-03 "));
    }

    void highlightReturnsToTheTopWhenTheListChanges()
    {
        Composer c({"alpha", "alps", "beta"});
        c.type("@");
        QTest::keyClick(&c.input, Qt::Key_Down);
        QTest::keyClick(&c.input, Qt::Key_Down);
        QCOMPARE(c.popup.highlightedName(), std::optional<QString>("beta"));
        c.type("a");
        QCOMPARE(c.popup.matches(), QStringList({"alpha", "alps"}));
        QCOMPARE(c.popup.selectedRow(), 0);
    }

    void elevenMatchesShowTenRowsAndScrollToTheHighlight()
    {
        Composer c(names(11));
        c.type("@skill");
        QCOMPARE(c.popup.matches().size(), 11);
        QCOMPARE(c.popup.panel()->height(), 10 * 34 + 10);
        QListWidget *table = c.popup.tableView();
        QCOMPARE(table->count(), 11);
        QTest::keyClick(&c.input, Qt::Key_Up);
        QCOMPARE(c.popup.selectedRow(), 10);
        const QRect last = table->visualItemRect(table->item(10));
        QVERIFY(last.top() >= 0 && last.bottom() < table->viewport()->height());
        QVERIFY(table->visualItemRect(table->item(0)).bottom() < 0);
    }

    void clickingARowCommitsIt()
    {
        Composer c({"alpha", "beta"});
        c.type("@");
        QListWidget *table = c.popup.tableView();
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
                          table->visualItemRect(table->item(1)).center());
        QCOMPARE(c.input.toPlainText(), QString("@beta "));
    }

    void placement_data()
    {
        QTest::addColumn<int>("fitting");
        QTest::addColumn<int>("count");
        QTest::addColumn<QRect>("anchor");
        QTest::addColumn<QRect>("visible");
        QTest::addColumn<QRect>("expected");
        const QRect screen(0, 0, 1000, 800);
        QTest::newRow("above the caret, narrow names")
            << 60 << 2 << QRect(100, 500, 2, 16) << screen << QRect(100, 500 - 6 - 78, 180, 78);
        QTest::newRow("wide names") << 300 << 1 << QRect(100, 500, 2, 16) << screen
                                    << QRect(100, 500 - 6 - 44, 346, 44);
        QTest::newRow("below when no room above")
            << 60 << 3 << QRect(100, 40, 2, 16) << screen << QRect(100, 40 + 16 + 6, 180, 112);
        QTest::newRow("kept inside the right edge")
            << 60 << 1 << QRect(990, 500, 2, 16) << screen << QRect(1000 - 6 - 180, 450, 180, 44);
        QTest::newRow("kept inside the left edge")
            << 60 << 1 << QRect(-40, 500, 2, 16) << screen << QRect(6, 450, 180, 44);
        QTest::newRow("no wider or taller than the screen allows")
            << 900 << 10 << QRect(10, 100, 2, 16) << QRect(0, 0, 300, 200) << QRect(6, 116 + 6, 288, 176);
    }
    void placement()
    {
        QFETCH(int, fitting);
        QFETCH(int, count);
        QFETCH(QRect, anchor);
        QFETCH(QRect, visible);
        QFETCH(QRect, expected);
        QCOMPARE(SkillCompletionController::panelGeometry(fitting, count, anchor, visible), expected);
    }
};

TESSALY_TEST_MAIN(TestSkillCompletion)
#include "test_skillcompletion.moc"
