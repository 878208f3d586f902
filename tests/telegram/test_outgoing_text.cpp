// Splitting a text that is too long for one Telegram message.
#include "support/TestMain.h"
#include "telegram/OutgoingText.h"

#include <QtTest>

class TestOutgoingText : public QObject
{
    Q_OBJECT
private slots:
    void splitsAtTheBestBoundary_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("limit");
        QTest::addColumn<QStringList>("parts");

        const QString smile = QString::fromUtf8("😀"); // two UTF-16 units
        QTest::newRow("fits") << "hello" << 10 << QStringList{"hello"};
        QTest::newRow("exactly the limit") << "0123456789" << 10 << QStringList{"0123456789"};
        QTest::newRow("last line break") << "aaaa\nbbbb\ncccc" << 10 << QStringList{"aaaa\nbbbb", "cccc"};
        QTest::newRow("line break right after a full part")
            << "aaaaaaaaaa\nbbb" << 10 << QStringList{"aaaaaaaaaa", "bbb"};
        QTest::newRow("a line break wins over a later space")
            << "aa\nbb cc dd" << 8 << QStringList{"aa", "bb cc dd"};
        QTest::newRow("last space") << "aaa bbb ccc ddd" << 8 << QStringList{"aaa bbb", "ccc ddd"};
        QTest::newRow("hard cuts") << "abcdefghijkl" << 5 << QStringList{"abcde", "fghij", "kl"};
        QTest::newRow("a surrogate pair stays whole")
            << "abcd" + smile + "ef" << 5 << QStringList{"abcd", smile + "ef"};
        QTest::newRow("white space alone is no part")
            << "aaaa\n     \n\nbbbb" << 5 << QStringList{"aaaa", "\nbbbb"};
        QTest::newRow("trailing line break") << "aaaaa\n" << 5 << QStringList{"aaaaa"};
    }
    void splitsAtTheBestBoundary()
    {
        QFETCH(QString, text);
        QFETCH(int, limit);
        QFETCH(QStringList, parts);
        QCOMPARE(OutgoingText::split(text, limit), parts);
    }

    void aLongMessageKeepsEveryWordInOrder()
    {
        // 5,000 characters of prose with emoji and a few paragraphs, as a user types it.
        QString text;
        for (int i = 0; text.size() < 5000; ++i)
            text += QStringLiteral("word%1 ").arg(i) + (i % 97 == 96 ? QStringLiteral("\n\n") : QString()) +
                    (i % 13 == 0 ? QString::fromUtf8("🙂") : QString());
        const QStringList parts = OutgoingText::split(text);
        QCOMPARE(parts.size(), 2);
        for (const QString &part : parts) {
            QVERIFY(part.size() <= OutgoingText::kMessageLimit);
            QVERIFY(!part.trimmed().isEmpty());
            QVERIFY(!part.back().isHighSurrogate());
        }
        // Only the break at each cut is dropped: the words are all there, in order.
        QCOMPARE(parts.join(u' ').simplified(), text.simplified());
    }
};

TESSALY_TEST_GUILESS_MAIN(TestOutgoingText)
#include "test_outgoing_text.moc"
