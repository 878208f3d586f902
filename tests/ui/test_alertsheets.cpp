// The real window-modal sheets: what they show and what a dismissal answers,
// for the questions the application asks (delete, Mac task approval).
#include "agent/AgentTestHome.h"
#include "agent/MacTaskOrchestrator.h"
#include "agent/PeekabooKeychain.h"
#include "support/TestMain.h"
#include "support/WidgetText.h"
#include "ui/MessageDeletion.h"
#include "ui/WidgetAlerts.h"

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

namespace {

QDialog *visibleSheet(const QWidget &window)
{
    for (QDialog *sheet : window.findChildren<QDialog *>())
        if (sheet->isVisible())
            return sheet;
    return nullptr;
}

QDialog *openSheet(const QWidget &window)
{
    QDialog *sheet = nullptr;
    [&] { QTRY_VERIFY((sheet = visibleSheet(window))); }();
    return sheet;
}

QLabel *label(QDialog *sheet, const char *name)
{
    return sheet->findChild<QLabel *>(QString::fromLatin1(name));
}

QPushButton *button(QDialog *sheet, const QString &title)
{
    for (QPushButton *b : sheet->findChildren<QPushButton *>())
        if (b->text() == title)
            return b;
    return nullptr;
}

enum class Dismissal { escape, close };

void dismiss(QDialog *sheet, Dismissal how)
{
    if (how == Dismissal::escape)
        QTest::keyClick(sheet, Qt::Key_Escape);
    else
        sheet->close();
}

} // namespace

class TestAlertSheets : public QObject
{
    Q_OBJECT
private slots:
    void dismissingTheDeleteSheetDeletesNothing_data()
    {
        QTest::addColumn<int>("how");
        QTest::newRow("escape") << int(Dismissal::escape);
        QTest::newRow("closed") << int(Dismissal::close);
    }
    void dismissingTheDeleteSheetDeletesNothing()
    {
        QFETCH(int, how);
        QWidget window;
        window.show();
        WidgetAlerts alerts(&window);
        BotMessage message;
        message.id = QStringLiteral("7");
        message.isOutgoing = true;
        QStringList deleted;
        auto remove = [&](bool everyone) { deleted << (everyone ? "everyone" : "me"); };

        MessageDeletion::confirm(alerts, message, remove);
        QDialog *sheet = openSheet(window);
        QVERIFY(sheet);
        QVERIFY(sheet->findChild<QLabel *>(QStringLiteral("alertMessage")));
        QPushButton *deleteButton = button(sheet, QStringLiteral("Delete"));
        QVERIFY(deleteButton);
        QVERIFY(deleteButton->property("destructive").toBool());
        QVERIFY(!deleteButton->isDefault());
        dismiss(sheet, Dismissal(how));
        QTest::qWait(1);
        QCOMPARE(deleted, QStringList());

        // Return presses the default button, which is Cancel.
        QVERIFY(!visibleSheet(window));
        MessageDeletion::confirm(alerts, message, remove);
        sheet = openSheet(window);
        QTest::keyClick(sheet, Qt::Key_Return);
        QTest::qWait(1);
        QCOMPARE(deleted, QStringList());

        // Only the button itself deletes.
        MessageDeletion::confirm(alerts, message, remove);
        button(openSheet(window), QStringLiteral("Delete"))->click();
        QCOMPARE(deleted, QStringList{"everyone"});
    }

    void dismissalAnswersOnlyACancelButton_data()
    {
        QTest::addColumn<QStringList>("buttons");
        QTest::addColumn<int>("cancel");
        QTest::addColumn<int>("destructive");
        QTest::addColumn<int>("answer");
        QTest::newRow("marked cancel") << QStringList{"Log Out", "Cancel"} << 1 << 0 << 1;
        QTest::newRow("nothing marked") << QStringList{"Allow", "Deny"} << -1 << -1 << -1;
        QTest::newRow("lone OK") << QStringList{"OK"} << -1 << -1 << 0;
        QTest::newRow("lone destructive") << QStringList{"Erase"} << -1 << 0 << -1;
        QTest::newRow("cancel marked destructive") << QStringList{"Keep", "Delete"} << 1 << 1 << -1;
    }
    void dismissalAnswersOnlyACancelButton()
    {
        QFETCH(QStringList, buttons);
        QFETCH(int, cancel);
        QFETCH(int, destructive);
        QFETCH(int, answer);
        QWidget window;
        window.show();
        WidgetAlerts alerts(&window);
        AlertRequest request;
        request.message = QStringLiteral("Question");
        request.buttons = buttons;
        request.cancelIndex = cancel;
        request.destructiveIndex = destructive;
        std::optional<int> answered;
        alerts.present(request, [&](const AlertAnswer &a) { answered = a.buttonIndex; });
        QTest::keyClick(openSheet(window), Qt::Key_Escape);
        QTRY_VERIFY(answered.has_value());
        QCOMPARE(*answered, answer);
    }

    void theApprovalShowsTheTaskLiterallyAndADismissalNeverApproves()
    {
        AgentTestHome home;
        std::unique_ptr<PeekabooBridge> bridge = home.bridge();
        MacAccess access{*home.settings};
        access.setMacAccess(MacAccessLevel::full);
        PeekabooKeychain(home.secrets).save("sk-test", PeekabooProvider::openai);
        QWidget window;
        window.show();
        WidgetAlerts alerts(&window);
        QStringList replies;
        MacTaskOrchestrator::Hooks hooks;
        hooks.sendMessage = [&](const QString &text, const QString &, const std::optional<QString> &,
                                MacTaskOrchestrator::SendCompletion) { replies << text; };
        hooks.selectedChatID = [] { return std::optional<QString>(QStringLiteral("5000000101")); };
        MacTaskOrchestrator tasks(access, *bridge, *home.log, alerts, hooks, {});
        const qint64 now = QDateTime::currentSecsSinceEpoch();

        // A task from another session of the account, written to hide part of itself.
        tasks.handleMacControlMessages({{"1", "/mac <b>x</b><!-- y -->", true, now}});
        QDialog *sheet = openSheet(window);
        QVERIFY(sheet);
        QLabel *info = label(sheet, "alertInformativeText");
        QVERIFY(info);
        QVERIFY(WidgetText::shown(info).startsWith(QStringLiteral("\"<b>x</b><!-- y -->\"\n\n")));
        QCOMPARE(WidgetText::shown(label(sheet, "alertMessage")), QStringLiteral("Run this Mac task now?"));
        QVERIFY(button(sheet, QStringLiteral("Allow"))->isDefault());
        QTest::keyClick(sheet, Qt::Key_Escape);
        QTRY_COMPARE(replies, QStringList{"■ Mac task cancelled."});

        tasks.handleMacControlMessages({{"2", "/mac open the downloads folder", true, now}});
        openSheet(window)->close();
        QTRY_COMPARE(replies.size(), 2);
        QCOMPARE(replies.last(), QStringLiteral("■ Mac task cancelled."));
        QTest::qWait(50);
        QVERIFY(home.calls().isEmpty());
    }
};

TESSALY_TEST_MAIN(TestAlertSheets)
#include "test_alertsheets.moc"
