// The history archive on a file system that fails under it: a small tmpfs
// mounted on the history folder (in a mount namespace of the test's own) is
// filled up, or remounted read-only, while the conversation goes on.
#include "support/AppHarness.h"
#include "support/TestMain.h"
#include "telegram/HistoryArchive.h"

#include <QtTest>
#include <cerrno>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

namespace {

const QString kBot = QStringLiteral("5000000101");

QList<QJsonObject> archived(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return HistoryArchive::read(file.readAll()).value_or(QList<QJsonObject>());
}

QStringList texts(const QList<QJsonObject> &messages)
{
    QStringList out;
    for (const QJsonObject &m : messages)
        out << m["content"].toObject()["text"].toObject()["text"].toString();
    return out;
}

QStringList ids(const QList<QJsonObject> &messages)
{
    QStringList out;
    for (const QJsonObject &m : messages)
        out << QString::number(m["id"].toInteger());
    return out;
}

bool shows(AppHarness &h, const QString &text)
{
    for (const BotMessage &m : h.app->telegramMessages()) {
        if (m.text == text)
            return true;
    }
    return false;
}

void say(const QString &text)
{
    AppHarness::configure(QStringLiteral(R"({"command":"inject_message","chat_id":%1,"text":"%2"})")
                              .arg(kBot, text)
                              .toUtf8());
}

// Writes until the file system has no room left.
bool fill(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0)
        return false;
    const QByteArray chunk(16 * 1024, 'x');
    ssize_t written = 0;
    while ((written = ::write(fd, chunk.constData(), size_t(chunk.size()))) > 0) {
    }
    const bool full = written < 0 && errno == ENOSPC;
    ::close(fd);
    return full;
}

} // namespace

class TestArchiveStorageFaults : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QTemporaryDir probe;
        if (::mount("tmpfs", QFile::encodeName(probe.path()).constData(), "tmpfs", 0, "size=64k") != 0)
            QSKIP("tmpfs cannot be mounted here (run in a mount namespace of its own, as root)");
        ::umount2(QFile::encodeName(probe.path()).constData(), MNT_DETACH);
    }

    void failedWritesKeepThePreviousArchive_data()
    {
        QTest::addColumn<bool>("readOnly");
        QTest::newRow("disk full") << false;
        QTest::newRow("read-only folder") << true;
    }
    void failedWritesKeepThePreviousArchive()
    {
        QFETCH(bool, readOnly);
        AppHarness h(R"({"scan_delay_ms":"never"})", {},
                     [](SettingsStore &s) { s.setString("selectedBotChatID", kBot); });
        const QString folder = h.dir.filePath("QuaylineView/history");
        const QByteArray mountPoint = QFile::encodeName(folder);
        QVERIFY(QDir().mkpath(folder));
        QCOMPARE(::mount("tmpfs", mountPoint.constData(), "tmpfs", MS_NOSUID | MS_NODEV, "size=2m"), 0);
        auto unmount = qScopeGuard([&] { ::umount2(mountPoint.constData(), MNT_DETACH); });

        QTRY_VERIFY_WITH_TIMEOUT(h.app->signInView()->isShowingQR(), 10000);
        AppHarness::configure(R"({"command":"scan"})");
        QTRY_VERIFY_WITH_TIMEOUT(h.app->telegramAuthorized(), 10000);
        const QString archive = h.app->client()->historyFilePath(kBot);
        QCOMPARE(QFileInfo(archive).absolutePath(), folder);
        // Settled: the server's history is archived, then one more message with it.
        QTRY_VERIFY_WITH_TIMEOUT(archived(archive).size() > 1, 10000);
        const qsizetype history = archived(archive).size();
        say("before");
        QTRY_VERIFY_WITH_TIMEOUT(texts(archived(archive)).contains("before") && archived(archive).size() == history + 1,
                                 10000);
        const QStringList before = ids(archived(archive));

        const QString filler = folder + "/filler";
        if (readOnly)
            QCOMPARE(::mount(nullptr, mountPoint.constData(), nullptr, MS_REMOUNT | MS_RDONLY | MS_NOSUID | MS_NODEV,
                             nullptr),
                     0);
        else
            QVERIFY(fill(filler));

        // The message is shown although it could not be archived; the archive
        // is the one before it, whole, and no half-written copy lies beside it.
        say("during");
        QTRY_VERIFY_WITH_TIMEOUT(shows(h, "during"), 10000);
        const QList<QJsonObject> kept = archived(archive);
        QCOMPARE(ids(kept), before);
        QVERIFY(!texts(kept).contains("during"));
        QStringList expectedFiles{QFileInfo(archive).fileName()};
        if (!readOnly)
            expectedFiles << "filler";
        expectedFiles.sort();
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name), expectedFiles);

        // Room again: the next change writes everything, the missed message too.
        if (readOnly)
            QCOMPARE(::mount(nullptr, mountPoint.constData(), nullptr, MS_REMOUNT | MS_NOSUID | MS_NODEV, nullptr), 0);
        else
            QVERIFY(QFile::remove(filler));
        say("after");
        QTRY_VERIFY_WITH_TIMEOUT(texts(archived(archive)).contains("after"), 10000);
        QVERIFY(texts(archived(archive)).contains("during"));
        QTRY_VERIFY_WITH_TIMEOUT(shows(h, "after"), 10000);
    }
};

TESSALY_TEST_MAIN(TestArchiveStorageFaults)
#include "test_archive_storage_faults.moc"
