// Reading an appcast: which item is the newest, which address is offered, what
// counts as a broken feed, and how versions compare.
#include "desktop/Appcast.h"

#include <QtTest>

namespace {

const QUrl kFeed("https://updates.example.org/tessaly/appcast.xml");

QByteArray feed(const QByteArray &items)
{
    return "<?xml version='1.0' encoding='utf-8'?>\n"
           "<rss version='2.0' xmlns:sparkle='http://www.andymatuschak.org/xml-namespaces/sparkle'>\n"
           "<channel><title>Tessaly</title>" +
           items + "</channel></rss>";
}

} // namespace

class TestAppcast : public QObject
{
    Q_OBJECT
private slots:
    void compareVersions_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("order");
        QTest::newRow("components are numbers, not text") << "1.10"
                                                          << "1.9" << 1;
        QTest::newRow("a missing component is 0") << "1.0"
                                                  << "1" << 0;
        QTest::newRow("a missing component is 0 the other way") << "1"
                                                                << "1.0.1" << -1;
        QTest::newRow("leading zeros") << "1.02"
                                       << "1.2" << 0;
        QTest::newRow("major wins") << "2"
                                    << "1.99.99" << 1;
        QTest::newRow("longer than any integer") << "1.123456789012345678901234567890"
                                                 << "1.99999999999999999999" << 1;
        QTest::newRow("suffix after the digits") << "2.0-beta"
                                                 << "2.0" << 0;
        QTest::newRow("a leading v") << "v1.3"
                                     << "1.2" << 1;
        QTest::newRow("spaces around") << " 1.4 "
                                       << "1.4" << 0;
    }
    void compareVersions()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(int, order);
        QCOMPARE(Appcast::compareVersions(a, b), order);
        QCOMPARE(Appcast::compareVersions(b, a), -order);
    }

    void newestItem_data()
    {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("display");
        QTest::addColumn<QUrl>("page");
        QTest::newRow("newest is the highest version, not the first item")
            << feed(
                   "<item><sparkle:version>1.9</sparkle:version><link>https://example.org/1.9</link></item>\n"
                   "<item><sparkle:version>1.10</sparkle:version><link>https://example.org/1.10</link></"
                   "item>\n"
                   "<item><sparkle:version>1.2</sparkle:version><link>https://example.org/1.2</link></item>")
            << "1.10"
            << "1.10" << QUrl("https://example.org/1.10");
        QTest::newRow("versions on the enclosure, short version shown")
            << feed("<item><enclosure url='https://example.org/t-57.tar.gz' sparkle:version='57'\n"
                    "sparkle:shortVersionString='2.1' length='1' type='application/octet-stream'/></item>")
            << "57"
            << "2.1" << QUrl("https://example.org/t-57.tar.gz");
        QTest::newRow("the page is preferred to the enclosure")
            << feed("<item><sparkle:version>3</sparkle:version><enclosure url='https://example.org/t.dmg'/>\n"
                    "<link>https://example.org/download</link></item>")
            << "3"
            << "3" << QUrl("https://example.org/download");
        QTest::newRow("only a short version")
            << feed("<item><sparkle:shortVersionString>4.2</sparkle:shortVersionString>\n"
                    "<link>https://example.org/4.2</link></item>")
            << "4.2"
            << "4.2" << QUrl("https://example.org/4.2");
        QTest::newRow("a relative link is resolved against the feed")
            << feed("<item><sparkle:version>5</sparkle:version><link>../downloads/5.html</link></item>")
            << "5"
            << "5" << QUrl("https://updates.example.org/downloads/5.html");
        QTest::newRow("a page that would open a local file or run something is not offered")
            << feed("<item><sparkle:version>6</sparkle:version><link>file:///etc/passwd</link>\n"
                    "<enclosure url='javascript:alert(1)'/></item>")
            << "6"
            << "6" << QUrl();
        QTest::newRow("an unsafe page falls back to a safe enclosure")
            << feed("<item><sparkle:version>7</sparkle:version><link>tg://resolve?domain=x</link>\n"
                    "<enclosure url='https://example.org/7.tar.gz'/></item>")
            << "7"
            << "7" << QUrl("https://example.org/7.tar.gz");
        QTest::newRow("items without a version are passed over")
            << feed("<item><title>News</title><link>https://example.org/news</link></item>\n"
                    "<item><sparkle:version>8</sparkle:version><link>https://example.org/8</link></item>")
            << "8"
            << "8" << QUrl("https://example.org/8");
    }
    void newestItem()
    {
        QFETCH(QByteArray, xml);
        QFETCH(QString, version);
        QFETCH(QString, display);
        QFETCH(QUrl, page);
        QString error;
        const auto item = Appcast::newestItem(xml, kFeed, &error);
        QVERIFY2(item.has_value(), qPrintable(error));
        QCOMPARE(item->version, version);
        QCOMPARE(item->displayVersion, display);
        QCOMPARE(item->downloadPage, page);
    }

    void brokenFeeds_data()
    {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<QString>("reason");
        QTest::newRow("empty") << QByteArray(" \n") << "it is empty";
        QTest::newRow("an HTML page")
            << QByteArray("<!DOCTYPE html><html><body>Moved</body></html>") << "not an RSS feed";
        QTest::newRow("cut off") << feed("<item><sparkle:version>2</sparkle:version>") << "not valid XML";
        QTest::newRow("an undeclared prefix")
            << QByteArray("<rss><channel><item><sparkle:version>2</sparkle:version></item></channel></rss>")
            << "not valid XML";
        QTest::newRow("no versioned item") << feed("<item><title>x</title></item>") << "lists no version";
        QTest::newRow("a version without digits")
            << feed("<item><sparkle:version>latest</sparkle:version></item>") << "lists no version";
    }
    void brokenFeeds()
    {
        QFETCH(QByteArray, xml);
        QFETCH(QString, reason);
        QString error;
        QVERIFY(!Appcast::newestItem(xml, kFeed, &error).has_value());
        QVERIFY2(error.contains(reason), qPrintable(error));
    }
};

QTEST_GUILESS_MAIN(TestAppcast)
#include "test_appcast.moc"
