// Replacing a file whole or not at all, even when the disk takes only part of
// a write: the file-size limit cuts a write short exactly as a full disk does.
#include "core/SafeFileCopy.h"
#include "support/FileSizeLimit.h"
#include "support/TestMain.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

class TestSafeFileCopy : public QObject
{
    Q_OBJECT
private slots:
    void replacesTheTargetWhole_data()
    {
        QTest::addColumn<bool>("fromFile");
        QTest::newRow("a copy of a file") << true;
        QTest::newRow("bytes in memory") << false;
    }
    void replacesTheTargetWhole()
    {
        QFETCH(bool, fromFile);
        QTemporaryDir dir;
        const QString target = dir.filePath("archive.json");
        const QString source = dir.filePath("source");
        QVERIFY(write(target, "old"));
        const QByteArray next(20000, 'n');
        QVERIFY(write(source, next));
        QString error;
        QVERIFY(fromFile ? SafeFileCopy::replace(source, target, &error)
                         : SafeFileCopy::replaceWith(target, next, &error));
        QCOMPARE(contents(target), next);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 2);

        // Larger than the disk's room: the old file stays, whole, and nothing lies beside it.
        const QByteArray larger(30000, 'l');
        QVERIFY(write(source, larger));
        {
            FileSizeLimit limit(8192);
            if (!limit.isActive())
                QSKIP("the file-size limit cannot be set here");
            QVERIFY(!(fromFile ? SafeFileCopy::replace(source, target, &error)
                               : SafeFileCopy::replaceWith(target, larger, &error)));
        }
        QCOMPARE(contents(target), next);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 2);
    }
};

TESSALY_TEST_MAIN(TestSafeFileCopy)
#include "test_safefilecopy.moc"
