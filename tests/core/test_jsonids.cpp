#include "core/JsonIds.h"
#include "support/TestMain.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

class TestJsonIds : public QObject
{
    Q_OBJECT
private slots:
    void tdlibIDParsesOnlyPlainDecimals_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<qint64>("value");
        QTest::newRow("plain") << "123" << true << qint64(123);
        QTest::newRow("plus") << "+42" << true << qint64(42);
        QTest::newRow("negative chat") << "-1001234567890" << true << qint64(-1001234567890);
        QTest::newRow("max") << "9223372036854775807" << true << std::numeric_limits<qint64>::max();
        QTest::newRow("min") << "-9223372036854775808" << true << std::numeric_limits<qint64>::min();
        QTest::newRow("overflow") << "9223372036854775808" << false << qint64(0);
        QTest::newRow("empty") << "" << false << qint64(0);
        QTest::newRow("sign only") << "-" << false << qint64(0);
        QTest::newRow("letter after digits") << "12a" << false << qint64(0);
        QTest::newRow("blank") << " 12" << false << qint64(0);
        QTest::newRow("fraction") << "1.5" << false << qint64(0);
        QTest::newRow("arabic-indic digits") << QString::fromUtf8("١٢") << false << qint64(0);
    }
    void tdlibIDParsesOnlyPlainDecimals()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(qint64, value);
        const auto parsed = JsonIds::tdlibID(text);
        QCOMPARE(parsed.has_value(), valid);
        if (valid)
            QCOMPARE(*parsed, value);
    }

    void idStringTakesStringsAndIntegersOnly()
    {
        const QJsonObject o = QJsonDocument::fromJson(
                                  R"({"s":"77","n":123456789012,"neg":-5,"f":1.5,"b":true,"o":{}})")
                                  .object();
        QCOMPARE(JsonIds::idString(o["s"]).value(), QStringLiteral("77"));
        QCOMPARE(JsonIds::idString(o["n"]).value(), QStringLiteral("123456789012"));
        QCOMPARE(JsonIds::idString(o["neg"]).value(), QStringLiteral("-5"));
        QVERIFY(!JsonIds::idString(o["f"]).has_value());
        QVERIFY(!JsonIds::idString(o["b"]).has_value());
        QVERIFY(!JsonIds::idString(o["o"]).has_value());
        QVERIFY(!JsonIds::idString(o["missing"]).has_value());
    }
};

TESSALY_TEST_GUILESS_MAIN(TestJsonIds)
#include "test_jsonids.moc"
