#include "agent/PeekabooLog.h"
#include "support/TestMain.h"
#include "ui/PeekabooLogWindow.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>

class TestPeekabooLogWindow : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    static void appendLines(PeekabooLog &log, int from, int count)
    {
        for (int i = from; i < from + count; ++i)
            log.append(QStringLiteral("STEP %1").arg(i));
        log.waitUntilWritten();
    }

private slots:
    void showsTheEmptyStateThenEntries()
    {
        PeekabooLog log(m_dir.filePath("a/peekaboo.log"));
        PeekabooLogWindow window(log);
        window.present();
        QVERIFY(window.isVisible());
        QCOMPARE(window.windowTitle(), QStringLiteral("Peekaboo Log"));
        QCOMPARE(window.pathLabel()->text(), log.filePath());
        QVERIFY(window.emptyLabel()->isVisible());
        QCOMPARE(window.textView()->toPlainText(), QString());

        appendLines(log, 0, 2);
        window.reloadIfChanged();
        QVERIFY(!window.emptyLabel()->isVisible());
        QVERIFY(window.textView()->toPlainText().endsWith("] STEP 1\n"));

        window.clearLog();
        QVERIFY(window.emptyLabel()->isVisible());
        QCOMPARE(window.textView()->toPlainText(), QString());
    }

    void liveUpdatesKeepTheReadersPlace()
    {
        PeekabooLog log(m_dir.filePath("b/peekaboo.log"));
        appendLines(log, 0, 400);
        PeekabooLogWindow window(log);
        window.present();
        QScrollBar *bar = window.textView()->verticalScrollBar();
        QVERIFY(bar->maximum() > 100);
        QCOMPARE(bar->value(), bar->maximum());

        // Reading older entries: new ones arrive without moving the view.
        bar->setValue(40);
        appendLines(log, 400, 20);
        window.reloadIfChanged();
        QVERIFY(window.textView()->toPlainText().endsWith("] STEP 419\n"));
        QCOMPARE(bar->value(), 40);

        // At the bottom: the view follows.
        bar->setValue(bar->maximum());
        appendLines(log, 420, 20);
        window.reloadIfChanged();
        QCOMPARE(bar->value(), bar->maximum());

        // A rewritten log (cleared or cut at the size bound) keeps the place too.
        bar->setValue(40);
        log.clear();
        appendLines(log, 1000, 400);
        window.reloadIfChanged();
        QVERIFY(window.textView()->toPlainText().startsWith(log.read().left(30)));
        QCOMPARE(bar->value(), 40);
    }

    void timerRunsOnlyWhileOpen()
    {
        PeekabooLog log(m_dir.filePath("c/peekaboo.log"));
        PeekabooLogWindow window(log);
        QVERIFY(!window.isLive());
        window.present();
        QVERIFY(window.isLive());
        appendLines(log, 0, 1);
        QTRY_VERIFY_WITH_TIMEOUT(window.textView()->toPlainText().endsWith("] STEP 0\n"), 3000);
        window.close();
        QVERIFY(!window.isLive());
    }
};

TESSALY_TEST_MAIN(TestPeekabooLogWindow)
#include "test_peekaboologwindow.moc"
