// The settings window's own controls: sizes, keys, pointer handling and what
// they tell assistive tools.
#include "support/TestMain.h"
#include "ui/MacAccessSlider.h"
#include "ui/ThemedSegmentedControl.h"
#include "ui/ThemedSwitch.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

QString accessibleValue(QWidget *widget)
{
    return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Value);
}

} // namespace

class TestThemedControls : public QObject
{
    Q_OBJECT

private slots:
    void segmentedControlSizesSelectionAndKeys()
    {
        ThemedSegmentedControl one({"Only"});
        QCOMPARE(one.sizeHint(), QSize(160, 28));
        ThemedSegmentedControl control({"Light", "Dark"}, {"sun.max", "moon"});
        QCOMPARE(control.sizeHint(), QSize(208, 28));
        QCOMPARE(ThemedSegmentedControl({"A", "B", "C", "D"}).sizeHint().width(), 416);
        control.resize(control.sizeHint());
        control.show();
        QVERIFY(QTest::qWaitForWindowExposed(&control));
        QCOMPARE(QAccessible::queryAccessibleInterface(&control)->role(), QAccessible::Grouping);
        QCOMPARE(accessibleValue(&control), QString("Light"));

        QSignalSpy activated(&control, &ThemedSegmentedControl::activated);
        // From code: selected, told to assistive tools, but no action.
        control.setSelectedSegment(1);
        QCOMPARE(accessibleValue(&control), QString("Dark"));
        QCOMPARE(activated.size(), 0);
        // The right arrow on the last segment keeps it and still sends.
        QTest::keyClick(&control, Qt::Key_Right);
        QCOMPARE(control.selectedSegment(), 1);
        QCOMPARE(activated.size(), 1);
        QTest::keyClick(&control, Qt::Key_Left);
        QTest::keyClick(&control, Qt::Key_Left);
        QCOMPARE(control.selectedSegment(), 0);
        QCOMPARE(activated.size(), 3);
        QCOMPARE(activated.last().first().toInt(), 0);
        // Other keys are not the control's.
        QTest::keyClick(&control, Qt::Key_Up);
        QCOMPARE(activated.size(), 3);

        // A click on the selected segment sends again; a click picks by position.
        QTest::mouseClick(&control, Qt::LeftButton, {}, QPoint(50, 14));
        QCOMPARE(activated.size(), 4);
        QTest::mouseClick(&control, Qt::LeftButton, {}, QPoint(150, 14));
        QCOMPARE(control.selectedSegment(), 1);
        QCOMPARE(activated.last().first().toInt(), 1);
        QVERIFY(control.hasFocus());

        // Hover follows the pointer and ends when it leaves.
        QTest::mouseMove(&control, QPoint(20, 10));
        QCOMPARE(control.hoveredSegment(), std::optional<int>(0));
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(&control, &leave);
        QCOMPARE(control.hoveredSegment(), std::nullopt);
    }

    void switchSpaceIsAClick()
    {
        ThemedSwitch byKey;
        ThemedSwitch byClick;
        QCOMPARE(byKey.sizeHint(), QSize(36, 20));
        QCOMPARE(QAccessible::queryAccessibleInterface(&byKey)->role(), QAccessible::CheckBox);
        QCOMPARE(accessibleValue(&byKey), QString("0"));
        byKey.show();
        byClick.show();
        QVERIFY(QTest::qWaitForWindowExposed(&byKey));
        QSignalSpy keyed(&byKey, &ThemedSwitch::toggled);
        QSignalSpy clicked(&byClick, &ThemedSwitch::toggled);

        QTest::keyClick(&byKey, Qt::Key_Space);
        QTest::mouseClick(&byClick, Qt::LeftButton);
        for (ThemedSwitch *control : {&byKey, &byClick}) {
            QVERIFY(control->isOn());
            QCOMPARE(accessibleValue(control), QString("1"));
            QVERIFY(QAccessible::queryAccessibleInterface(control)->state().checked);
        }
        QCOMPARE(keyed.size(), 1);
        QCOMPARE(clicked.size(), 1);
        QCOMPARE(keyed.first().first().toBool(), true);

        QTest::keyClick(&byKey, Qt::Key_Return);
        QCOMPARE(keyed.size(), 1);
        // From code: no action.
        byKey.setOn(false);
        QCOMPARE(keyed.size(), 1);
        QCOMPARE(accessibleValue(&byKey), QString("0"));
    }

    void sliderSendsOnePerLevelChange()
    {
        MacAccessSlider slider;
        QCOMPARE(slider.sizeHint(), QSize(84, 26));
        slider.show();
        QVERIFY(QTest::qWaitForWindowExposed(&slider));
        QCOMPARE(QAccessible::queryAccessibleInterface(&slider)->role(), QAccessible::Slider);
        QCOMPARE(QAccessible::queryAccessibleInterface(&slider)->text(QAccessible::Name),
                 QString("Mac access"));
        QCOMPARE(accessibleValue(&slider), QString("No access"));
        QSignalSpy changed(&slider, &MacAccessSlider::levelChanged);

        // A press on the current stop sends nothing.
        QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(5, 13));
        QCOMPARE(changed.size(), 0);
        // A drag across every pixel passes read only once and ends at full.
        for (int x = 5; x <= 83; ++x)
            QTest::mouseMove(&slider, QPoint(x, 13));
        QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(83, 13));
        QCOMPARE(changed.size(), 2);
        QCOMPARE(changed.at(0).first().value<MacAccessLevel>(), MacAccessLevel::readOnly);
        QCOMPARE(changed.at(1).first().value<MacAccessLevel>(), MacAccessLevel::full);
        QCOMPARE(accessibleValue(&slider), QString("Full access"));
        QCOMPARE(slider.toolTip(), MacAccessLevels::helpText(MacAccessLevel::full));
        // Moving without a pressed button is not a drag.
        QTest::mouseMove(&slider, QPoint(5, 13));
        QCOMPARE(changed.size(), 2);

        // The user's change animates the thumb to its stop.
        QVERIFY(slider.isAnimating());
        QTRY_COMPARE(slider.thumbX(), 84.0 / 3 * 2 + 2);
        QVERIFY(!slider.isAnimating());

        // A change from code jumps there at once and sends nothing.
        slider.setLevel(MacAccessLevel::off);
        QVERIFY(!slider.isAnimating());
        QCOMPARE(slider.thumbX(), 2.0);
        QCOMPARE(changed.size(), 2);
        QCOMPARE(QAccessible::queryAccessibleInterface(&slider)->text(QAccessible::Description),
                 QString("The bot cannot use this Mac."));
    }
};

TESSALY_TEST_MAIN(TestThemedControls)
#include "test_themedcontrols.moc"
