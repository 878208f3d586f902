#include "agent/PeekabooOutput.h"
#include "support/TestMain.h"

#include <QtTest>

Q_DECLARE_METATYPE(PeekabooResult)

class TestPeekabooOutput : public QObject
{
    Q_OBJECT

    static QString shout(const QString &text) { return QStringLiteral("advice: ") + text; }

private slots:
    void parsesTheAnswer_data()
    {
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<QByteArray>("err");
        QTest::addColumn<int>("status");
        QTest::addColumn<PeekabooResult>("expected");
        QTest::newRow("success") << QByteArray(R"({"success":true,"result":{"content":"Done."}})")
                                 << QByteArray() << 0 << PeekabooResult{true, "Done.", false};
        QTest::newRow("success despite status")
            << QByteArray(R"({"success":true,"result":{"content":"Done."}})") << QByteArray() << 1
            << PeekabooResult{true, "Done.", false};
        QTest::newRow("failure message gets advice")
            << QByteArray(R"({"success":false,"error":{"message":"boom"}})") << QByteArray() << 1
            << PeekabooResult{false, "advice: boom", false};
        QTest::newRow("success not a Boolean")
            << QByteArray(R"({"success":"yes","result":{"content":"x"}})") << QByteArray() << 0
            << PeekabooResult{false, "advice: x", false};
        // Never the raw JSON.
        QTest::newRow("empty content")
            << QByteArray(R"( {"success":true,"result":{"content":""}} )") << QByteArray() << 0
            << PeekabooResult{true, "Peekaboo returned no output.", false};
        QTest::newRow("no content at all")
            << QByteArray(R"({"success":true})") << QByteArray("working\n") << 0
            << PeekabooResult{true, "Peekaboo returned no output.", false};
        QTest::newRow("failure without message")
            << QByteArray(R"({"success":false,"error":{"message":""}})") << QByteArray() << 1
            << PeekabooResult{false, "advice: Peekaboo returned no output.", false};
        QTest::newRow("bridge host in any case")
            << QByteArray(R"({"success":false,"error":{"message":"bridge HOST gone"}})") << QByteArray() << 1
            << PeekabooResult{false, "advice: bridge HOST gone", true};
        QTest::newRow("plain text, status 0")
            << QByteArray("All good") << QByteArray() << 0 << PeekabooResult{true, "All good", false};
        QTest::newRow("JSON array is plain text")
            << QByteArray("[1]") << QByteArray() << 0 << PeekabooResult{true, "[1]", false};
        QTest::newRow("error output") << QByteArray("  \n") << QByteArray(" HTTP 429\n") << 1
                                      << PeekabooResult{false, "advice: HTTP 429", false};
    }
    void parsesTheAnswer()
    {
        QFETCH(QByteArray, out);
        QFETCH(QByteArray, err);
        QFETCH(int, status);
        QFETCH(PeekabooResult, expected);
        const PeekabooResult result = PeekabooOutput::parse(out, err, status, &shout);
        QCOMPARE(result.text, expected.text);
        QCOMPARE(result.succeeded, expected.succeeded);
        QCOMPARE(result.bridgeUnavailable, expected.bridgeUnavailable);
    }

    void adviceForTypicalFailures_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("advice");
        QTest::addColumn<bool>("signInLost");
        const QString signIn =
            "ChatGPT sign-in is missing or has expired. Open Settings, choose OpenAI (ChatGPT "
            "sign-in), then sign in again.";
        const QString credit = "Anthropic has no credit left. Top up the Anthropic account, then try again.";
        const QString length =
            "The model ran out of reply space before it finished. Ask for a shorter result, or "
            "switch to a model with a bigger reply limit.";
        const QString key = "Anthropic rejected the API key. Save a new key in Settings, then try again.";
        const QString rate = "Anthropic is rate limiting requests. Wait a minute, then try again.";
        QTest::newRow("sign in again") << "Please sign in again" << signIn << true;
        QTest::newRow("balance") << "Insufficient_Balance" << credit << false;
        QTest::newRow("length JSON") << R"({"finish_reason": "length"})" << length << false;
        QTest::newRow("incorrect key") << "Incorrect API key provided" << key << false;
        QTest::newRow("rate limit") << "Rate limit reached" << rate << false;
        QTest::newRow("order: credit before key") << "HTTP 401 insufficient balance" << credit << false;
        QTest::newRow("other text unchanged") << "Something Else"
                                              << "Something Else" << false;
    }
    void adviceForTypicalFailures()
    {
        QFETCH(QString, text);
        QFETCH(QString, advice);
        QFETCH(bool, signInLost);
        const auto result = PeekabooOutput::friendlyError(text, "Anthropic");
        QCOMPARE(result.text, advice);
        QCOMPARE(result.signInLost, signInLost);
    }

    void clipsWithACount()
    {
        QCOMPARE(PeekabooOutput::clipped("abc", 3), QStringLiteral("abc"));
        QCOMPARE(PeekabooOutput::clipped(QString(401, u't'), 400),
                 QString(400, u't') + "\n…(truncated, 1 characters omitted)");
    }

    void findsTheCurrentStep_data()
    {
        QTest::addColumn<QString>("errorOutput");
        QTest::addColumn<QString>("step");
        QTest::newRow("last line") << "first\nsecond\n"
                                   << "second";
        QTest::newRow("blank lines skipped") << "first\nsecond\n \t \n\n"
                                             << "second";
        QTest::newRow("colour and log prefix")
            << "\x1b[2m[12:00:01.123]\x1b[0m \x1b[32mINFO\x1b[0m: Looking at the screen\n"
            << "Looking at the screen";
        QTest::newRow("prefix in lower case") << "[agent] warning:   Retrying\n"
                                              << "Retrying";
        QTest::newRow("only the prefix") << "[x] DEBUG: \n"
                                         << "";
        QTest::newRow("nothing") << ""
                                 << "";
        QTest::newRow("long") << QString(120, u'a') << QString(110, u'a') + u'…';
    }
    void findsTheCurrentStep()
    {
        QFETCH(QString, errorOutput);
        QFETCH(QString, step);
        QCOMPARE(PeekabooOutput::currentStep(errorOutput), step);
    }
};

TESSALY_TEST_GUILESS_MAIN(TestPeekabooOutput)
#include "test_peekaboooutput.moc"
