// Reading an appcast: how versions compare, which item is the newest, which
// address is offered, and what counts as a broken feed.
#include "desktop/Appcast.h"
#include "support/TestMain.h"

#include <QtTest>

namespace {

QByteArray feed(const QByteArray &items)
{
    return "<?xml version='1.0'?><rss version='2.0' "
           "xmlns:sparkle='http://www.andymatuschak.org/xml-namespaces/sparkle'><channel>" +
           items + "</channel></rss>";
}

} // namespace

class TestAppcast : public QObject
{
    Q_OBJECT
private slots:
    void versionsCompareNumberByNumber()
    {
        const struct
        {
            const char *newer, *older;
        } ordered[] = {{"1.10", "1.9"},
                       {"1.0.1", "1"},
                       {"2", "1.99.99"},
                       {"v1.3", "1.2"},
                       {"1.123456789012345678901234567890", "1.99999999999999999999"}};
        for (const auto &pair : ordered) {
            QCOMPARE(Appcast::compareVersions(pair.newer, pair.older), 1);
            QCOMPARE(Appcast::compareVersions(pair.older, pair.newer), -1);
        }
        const struct
        {
            const char *a, *b;
        } equal[] = {{"1.0", "1"}, {"1.02", "1.2"}, {"2.0-beta", "2.0"}, {" 1.4 ", "1.4"}};
        for (const auto &pair : equal)
            QCOMPARE(Appcast::compareVersions(pair.a, pair.b), 0);
    }

    void newestItem_data()
    {
        QTest::addColumn<QByteArray>("items");
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("display");
        QTest::addColumn<QString>("page");
        QTest::newRow("the highest version, not the first item")
            << QByteArray(
                   "<item><sparkle:version>1.9</sparkle:version><link>https://e.org/1.9</link></item>"
                   "<item><sparkle:version>1.10</sparkle:version><link>https://e.org/1.10</link></item>"
                   "<item><title>news, no version</title></item>")
            << "1.10"
            << "1.10"
            << "https://e.org/1.10";
        QTest::newRow("versions on the enclosure, the short one shown")
            << QByteArray("<item><enclosure url='https://e.org/t.tar.gz' sparkle:version='57' "
                          "sparkle:shortVersionString='2.1'/></item>")
            << "57"
            << "2.1"
            << "https://e.org/t.tar.gz";
        QTest::newRow("the page before the enclosure; relative to the feed")
            << QByteArray("<item><sparkle:version>3</sparkle:version><enclosure url='https://e.org/t.dmg'/>"
                          "<link>../downloads/3.html</link></item>")
            << "3"
            << "3"
            << "https://updates.e.org/downloads/3.html";
        QTest::newRow("no local file, no program started by scheme: the safe enclosure instead")
            << QByteArray("<item><sparkle:shortVersionString>7</sparkle:shortVersionString>"
                          "<link>file:///etc/passwd</link><enclosure url='https://e.org/7.tgz'/></item>")
            << "7"
            << "7"
            << "https://e.org/7.tgz";
        QTest::newRow("nothing safe to open")
            << QByteArray("<item><sparkle:version>6</sparkle:version><link>tg://resolve?domain=x</link>"
                          "<enclosure url='javascript:alert(1)'/></item>")
            << "6"
            << "6"
            << "";
    }
    void newestItem()
    {
        QFETCH(QByteArray, items);
        QFETCH(QString, version);
        QFETCH(QString, display);
        QFETCH(QString, page);
        QString error;
        const auto item =
            Appcast::newestItem(feed(items), QUrl("https://updates.e.org/t/appcast.xml"), &error);
        QVERIFY2(item.has_value(), qPrintable(error));
        QCOMPARE(item->version, version);
        QCOMPARE(item->displayVersion, display);
        QCOMPARE(item->downloadPage, QUrl(page));
    }

    void brokenFeedsSayWhy()
    {
        const struct
        {
            QByteArray xml;
            const char *reason;
        } broken[] = {
            {" \n", "it is empty"},
            {"<!DOCTYPE html><html><body>Moved</body></html>", "not an RSS feed"},
            {feed("<item><sparkle:version>2</sparkle:version>"), "not valid XML"},
            {"<rss><channel><item><sparkle:version>2</sparkle:version></item></channel></rss>",
             "not valid XML"},
            {feed("<item><sparkle:version>latest</sparkle:version></item>"), "lists no version"},
        };
        for (const auto &b : broken) {
            QString error;
            QVERIFY(!Appcast::newestItem(b.xml, QUrl(), &error).has_value());
            QVERIFY2(error.contains(b.reason), qPrintable(error));
        }
    }
};

TESSALY_TEST_GUILESS_MAIN(TestAppcast)
#include "test_appcast.moc"
