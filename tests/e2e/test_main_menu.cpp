// End to end: the application's menu in the status item and the window, and
// its shortcuts inside the window.
#include "app/MacTaskController.h"
#include "app/SettingsPresenter.h"
#include "support/AppHarness.h"
#include "support/TestMain.h"
#include "ui/ComposerTextView.h"
#include "ui/ComposerView.h"
#include "ui/MainMenu.h"
#include "ui/PeekabooLogWindow.h"
#include "ui/SettingsWindowController.h"
#include "ui/StatusItem.h"

#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QtTest>

namespace {
QStringList titles(const QMenu *menu)
{
    QStringList texts;
    for (const QAction *action : menu->actions())
        texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
    return texts;
}

template <typename T> T *visibleTopLevel()
{
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (auto *found = qobject_cast<T *>(widget); found && found->isVisible())
            return found;
    return nullptr;
}
} // namespace

class TestMainMenu : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void theStatusItemAndTheWindowOfferTheMenus()
    {
        AppHarness h;
        const QMenu *status = h.app->statusItem()->menu();
        QCOMPARE(titles(status).mid(0, 2), QStringList({"Show Chat Window", "Hide Chat Window"}));
        QCOMPARE(titles(status).mid(titles(status).size() - 3), QStringList({"Tessaly", "Settings", "Edit"}));
        const QMenu *context = h.app->mainMenu()->contextMenu();
        QCOMPARE(titles(context), QStringList({"Tessaly", "Settings", "Edit"}));
        QCOMPARE(titles(context->actions().at(0)->menu()),
                 QStringList({"About Tessaly", "Check for Updates…", "-", "Quit Tessaly"}));
        QCOMPARE(
            titles(context->actions().at(2)->menu()),
            QStringList({"Undo", "Redo", "-", "Cut", "Copy", "Paste", "Select All", "-", "Search Messages"}));
        QCOMPARE(h.app->window()->contextMenuPolicy(), Qt::CustomContextMenu);
    }

    void settingsOpenFromTheKeysAndUpdatesAreChecked()
    {
        AppHarness h;
        TelegramWindow *window = h.app->window();
        QApplication::setActiveWindow(window);
        QVERIFY(QTest::qWaitForWindowActive(window));
        QAction *settings = h.app->mainMenu()->action("Settings…");
        QCOMPARE(settings->shortcut(), QKeySequence("Ctrl+,"));
        // Ctrl+, anywhere in the window opens the settings window.
        QVERIFY(settings->isEnabled());
        QTest::keyClick(window, Qt::Key_Comma, Qt::ControlModifier);
        QTRY_VERIFY(h.app->settingsPresenter()->window() && h.app->settingsPresenter()->window()->isVisible());

        // This build names no update feed: the check says so rather than contacting anything.
        h.app->mainMenu()->action("Check for Updates…")->trigger();
        QTRY_VERIFY(!h.alerts.presented.isEmpty());
        QCOMPARE(h.alerts.presented.last().message, QString("Updates are not configured"));
    }

    void shortcutsWorkInTheWindow()
    {
        AppHarness h;
        TelegramWindow *window = h.app->window();
        h.app->showBots();
        QApplication::setActiveWindow(window);
        QVERIFY(QTest::qWaitForWindowActive(window));
        ComposerTextView *input = h.app->botFace()->composer()->input();
        QTRY_VERIFY(input->hasFocus());

        QTest::keyClick(input, Qt::Key_F, Qt::ControlModifier);
        QVERIFY(h.app->botFace()->searchField()->hasFocus());

        // The editing commands reach the focused field, from the menu as from the keys.
        input->setFocus();
        input->setPlainText("hello there");
        h.app->mainMenu()->action("Select All")->trigger();
        QCOMPARE(input->textCursor().selectedText(), QString("hello there"));
        QTest::keyClick(input, Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(input->toPlainText(), QString());
        h.app->mainMenu()->action("Undo")->trigger();
        QCOMPARE(input->toPlainText(), QString("hello there"));

        QVERIFY(!h.app->isTerminating());
        QTest::keyClick(input, Qt::Key_Q, Qt::ControlModifier);
        QVERIFY(h.app->isTerminating());
    }

    void aboutAndTheLogWindowOpen()
    {
        AppHarness h;
        h.app->mainMenu()->action("About Tessaly")->trigger();
        auto *about = visibleTopLevel<QMessageBox>();
        QVERIFY(about);
        QVERIFY(about->text().startsWith("Tessaly\nVersion "));
        QVERIFY(about->text().endsWith("\nTDLib 1.8.67"));
        about->close();

        h.app->mainMenu()->action("Peekaboo Log…")->trigger();
        QVERIFY(visibleTopLevel<PeekabooLogWindow>());
    }
};

TESSALY_TEST_MAIN(TestMainMenu)
#include "test_main_menu.moc"
