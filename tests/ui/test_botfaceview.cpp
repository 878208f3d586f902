// The bot face in the chat window: the message font scale, from its buttons
// and its keys, and the window width that goes with it.
#include "chat/PinButton.h"
#include "support/TestMain.h"
#include "ui/BotFaceView.h"
#include "ui/ComposerTextView.h"
#include "ui/ComposerView.h"
#include "ui/TelegramWindow.h"

#include <QAction>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>

namespace {

// The chat window with the bot face attached, as the controller shows it.
struct Window
{
    TelegramWindow window;
    BotFaceView *face = new BotFaceView;

    Window()
    {
        window.setFace(face);
        window.show();
        window.activateWindow();
    }
    QToolButton *toolButton(const char *symbol) const
    {
        for (QToolButton *button : face->findChildren<QToolButton *>())
            if (button->property("symbol").toString() == QLatin1String(symbol))
                return button;
        return nullptr;
    }
};

} // namespace

class TestBotFaceView : public QObject
{
    Q_OBJECT
private slots:
    void aRoundTripOfTheScaleKeepsTheWindowWidthAndTheComposerFollows()
    {
        Window w;
        QCOMPARE(w.window.width(), 365);
        const qreal inputPoints = w.face->composer()->input()->font().pointSizeF();
        QToolButton *larger = w.toolButton("textformat.size.larger");
        QToolButton *smaller = w.toolButton("textformat.size.smaller");
        QVERIFY(larger && smaller);

        for (int i = 0; i < 6; ++i)
            larger->click();
        QCOMPARE(w.face->fontScaleLabel(), QStringLiteral("160%"));
        QCOMPARE(w.window.width(), 584);
        QCOMPARE(w.window.minimumWidth(), 480);
        QCOMPARE(w.face->composer()->input()->font().pointSizeF(), inputPoints * 1.6);

        for (int i = 0; i < 8; ++i)
            smaller->click();
        QCOMPARE(w.face->fontScaleLabel(), QStringLiteral("80%"));
        QCOMPARE(w.window.width(), 300);
        QCOMPARE(w.window.minimumWidth(), 300);
        QCOMPARE(w.face->composer()->input()->font().pointSizeF(), inputPoints * 0.8);

        larger->click();
        larger->click();
        QCOMPARE(w.face->fontScaleLabel(), QStringLiteral("100%"));
        QCOMPARE(w.window.width(), 365);
        QCOMPARE(w.face->composer()->input()->font().pointSizeF(), inputPoints);
    }

    void zoomKeysStepTheScaleFromAnywhereInTheWindow()
    {
        Window w;
        QVERIFY(QTest::qWaitForWindowActive(&w.window));
        QWidget *input = w.face->composer()->input();
        input->setFocus();
        QTest::keyClick(input, Qt::Key_Equal, Qt::ControlModifier);
        QCOMPARE(w.face->fontScaleLabel(), QStringLiteral("110%"));
        QTest::keyClick(w.face->searchField(), Qt::Key_Plus, Qt::ControlModifier);
        QCOMPARE(w.face->fontScaleLabel(), QStringLiteral("120%"));
        QTest::keyClick(input, Qt::Key_Minus, Qt::ControlModifier);
        QCOMPARE(w.face->fontScaleLabel(), QStringLiteral("110%"));
        QTest::keyClick(input, Qt::Key_0, Qt::ControlModifier);
        QCOMPARE(w.face->fontScaleLabel(), QStringLiteral("100%"));
        QCOMPARE(w.window.width(), 365);
        // The keys change the text only: the draft is as it was.
        QVERIFY(w.face->composer()->input()->toPlainText().isEmpty());
    }

    void theSearchFieldOffersClearingOnlyWhileItHoldsText()
    {
        Window w;
        QLineEdit *search = w.face->searchField();
        QAction *clear = nullptr;
        for (QAction *action : search->actions())
            if (action->toolTip() == QLatin1String("Clear search"))
                clear = action;
        QVERIFY(clear);
        QVERIFY(!clear->isVisible());
        QTest::keyClicks(search, QStringLiteral("report"));
        QVERIFY(clear->isVisible());
        QVERIFY(!clear->icon().isNull());
        clear->trigger();
        QVERIFY(search->text().isEmpty());
        QVERIFY(!clear->isVisible());
    }

    void wherePinningIsUpToTheDesktopThePinPromisesNothing()
    {
        for (const bool pinned : {true, false}) {
            const PinButton::Look honoured = PinButton::look(pinned, true);
            const PinButton::Look wayland = PinButton::look(pinned, false);
            QCOMPARE(wayland.symbol, honoured.symbol);
            QCOMPARE(wayland.botTint, honoured.botTint);
            QVERIFY(!wayland.help.contains("stays on top"));
            QVERIFY(wayland.help.contains("Wayland"));
        }
    }
};

TESSALY_TEST_MAIN(TestBotFaceView)
#include "test_botfaceview.moc"
