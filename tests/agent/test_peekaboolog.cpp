#include "agent/PeekabooLog.h"
#include "support/TestMain.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <sys/stat.h>

namespace {

// The permission bits of a file or folder, or -1 when it is missing.
int modeOf(const QString &path)
{
    struct stat info = {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 07777) : -1;
}

} // namespace

class TestPeekabooLog : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_case = 0;

    QString freshPath()
    {
        return m_dir.filePath(QStringLiteral("case%1/Quay Line/peekaboo.log").arg(++m_case));
    }

private slots:
    void entriesHaveATimeStampedHeaderAndOneFinalNewline_data()
    {
        QTest::addColumn<QString>("body");
        QTest::addColumn<QString>("expectedBody");
        QTest::newRow("no body") << QString() << QString();
        QTest::newRow("body gets a newline") << "line"
                                             << "line\n";
        QTest::newRow("no second newline") << "line\n"
                                           << "line\n";
        QTest::newRow("exactly at the limit") << QString(6000, u'x') << QString(6000, u'x') + u'\n';
        QTest::newRow("clipped") << QString(7000, u'x')
                                 << QString(6000, u'x') +
                                        QStringLiteral("\n… truncated (1000 more characters)\n");
        QString pair = QString(5999, u'x') + QString::fromUtf8("😀") + QStringLiteral("tail");
        QTest::newRow("no half character")
            << pair << QString(5999, u'x') + QStringLiteral("\n… truncated (6 more characters)\n");
    }
    void entriesHaveATimeStampedHeaderAndOneFinalNewline()
    {
        QFETCH(QString, body);
        QFETCH(QString, expectedBody);
        const QDateTime time(QDate(2024, 3, 9), QTime(7, 5, 3));
        QCOMPARE(PeekabooLog::formatEntry(time, "STEP looking", body),
                 QStringLiteral("[2024-03-09 07:05:03] STEP looking\n") + expectedBody);
    }

    void appendWritesInOrderAndReadSeesIt()
    {
        PeekabooLog log(freshPath());
        QCOMPARE(log.read(), QString());
        log.append("RUN agent", "task: x");
        log.append("EXIT 0 in 1.0s");
        const QString text = log.read();
        static const QRegularExpression shape(
            R"(^\[\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\] RUN agent\ntask: x\n\[[^\]]+\] EXIT 0 in 1\.0s\n$)");
        QVERIFY2(shape.match(text).hasMatch(), qPrintable(text));
        log.clear();
        QCOMPARE(log.read(), QString());
        log.clear(); // a missing file is fine
        QCOMPARE(log.read(), QString());
    }

    // Entries hold task texts and what the agent saw on the screen.
    void fileAndFolderAreTheUsersAlone()
    {
        const QString widened = freshPath();
        const QString folder = QFileInfo(widened).absolutePath();
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0755) == 0);
        {
            QFile file(widened);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("[old] entry\n");
        }
        QVERIFY(::chmod(QFile::encodeName(widened).constData(), 0644) == 0);
        PeekabooLog log(widened);
        log.append("RUN agent", "task: read my mail");
        log.waitUntilWritten();
        QCOMPARE(modeOf(folder), 0700);
        QCOMPARE(modeOf(widened), 0600);
        QVERIFY(log.read().startsWith("[old] entry\n"));

        const QString fresh = freshPath();
        PeekabooLog freshLog(fresh);
        freshLog.append("STEP looking");
        freshLog.waitUntilWritten();
        QCOMPARE(modeOf(QFileInfo(fresh).absolutePath()), 0700);
        QCOMPARE(modeOf(fresh), 0600);
    }

    void sizeBoundKeepsACompleteFirstLine()
    {
        const QString path = freshPath();
        PeekabooLog log(path);
        log.prepareForReveal();
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            // Lines of varying length, so that the cut falls inside a line.
            for (int i = 0; file.size() < PeekabooLog::sizeLimit - 100; ++i)
                file.write(QStringLiteral("[old] line %1 %2\n").arg(i).arg(QString(i % 37, u'é')).toUtf8());
        }
        log.append("newest", QString(3000, u'n'));
        log.waitUntilWritten();
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray content = file.readAll();
        QVERIFY(content.size() <= PeekabooLog::sizeLimit);
        QVERIFY(content.size() > PeekabooLog::sizeLimit - 200);
        static const QRegularExpression oldLine(QStringLiteral("^\\[old\\] line (\\d+) (é*)$"));
        const QString firstLine = QString::fromUtf8(content.left(content.indexOf('\n')));
        const auto match = oldLine.match(firstLine);
        QVERIFY2(match.hasMatch(), qPrintable(firstLine));
        QCOMPARE(match.captured(2).size(), match.captured(1).toInt() % 37);
        QVERIFY(content.endsWith(QString(3000, u'n').toUtf8() + '\n'));
        // The rewritten file is as private as the old one.
        QCOMPARE(modeOf(path), 0600);
    }

    void concurrentAppendsKeepWholeEntries()
    {
        PeekabooLog log(freshPath());
        constexpr int threads = 4;
        constexpr int perThread = 150;
        QList<QThread *> workers;
        for (int t = 0; t < threads; ++t) {
            workers << QThread::create([&log, t] {
                for (int n = 0; n < perThread; ++n) {
                    const QString id = QStringLiteral("T%1-%2").arg(t).arg(n);
                    log.append(QStringLiteral("STEP ") + id,
                               QStringLiteral("first %1\nsecond %1\nthird %1").arg(id));
                }
            });
        }
        for (QThread *w : workers)
            w->start();
        for (QThread *w : workers) {
            w->wait();
            delete w;
        }
        const QStringList lines = log.read().split(u'\n');
        QCOMPARE(lines.size(), threads * perThread * 4 + 1);
        QList<int> next(threads, 0);
        static const QRegularExpression header(R"(^\[[^\]]+\] STEP T(\d)-(\d+)$)");
        for (int i = 0; i + 3 < lines.size(); i += 4) {
            const auto m = header.match(lines[i]);
            QVERIFY2(m.hasMatch(), qPrintable(lines[i]));
            const int t = m.captured(1).toInt();
            const QString id = QStringLiteral("T%1-%2").arg(t).arg(m.captured(2));
            QCOMPARE(m.captured(2).toInt(), next[t]++);
            QCOMPARE(lines[i + 1], QStringLiteral("first ") + id);
            QCOMPARE(lines[i + 2], QStringLiteral("second ") + id);
            QCOMPARE(lines[i + 3], QStringLiteral("third ") + id);
        }
    }

    void revealCreatesAnEmptyFileBeforeAnyEntry()
    {
        const QString path = freshPath();
        PeekabooLog log(path);
        QVERIFY(!QFile::exists(path));
        QCOMPARE(log.prepareForReveal(), path);
        QVERIFY(QFile::exists(path));
        QCOMPARE(QFileInfo(path).size(), 0);
        log.append("kept");
        QCOMPARE(log.prepareForReveal(), path);
        QVERIFY(log.read().endsWith("] kept\n"));
    }

    void defaultPathFollowsTheStateFolder()
    {
        const QByteArray saved = qgetenv("XDG_STATE_HOME");
        qputenv("XDG_STATE_HOME", "/var/state-test");
        QCOMPARE(PeekabooLog::defaultPath(), QStringLiteral("/var/state-test/Quay Line/peekaboo.log"));
        qputenv("XDG_STATE_HOME", "relative/ignored");
        QCOMPARE(PeekabooLog::defaultPath(), QDir::homePath() + "/.local/state/Quay Line/peekaboo.log");
        qunsetenv("XDG_STATE_HOME");
        QCOMPARE(PeekabooLog::defaultPath(), QDir::homePath() + "/.local/state/Quay Line/peekaboo.log");
        if (!saved.isNull())
            qputenv("XDG_STATE_HOME", saved);
    }
};

TESSALY_TEST_GUILESS_MAIN(TestPeekabooLog)
#include "test_peekaboolog.moc"
