#include "speech/ReadAloudText.h"
#include "support/TestMain.h"

#include <QtTest>

class ReadAloudTextTest : public QObject
{
    Q_OBJECT
private slots:
    void plain_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("spoken");

        QTest::newRow("only a fenced block") << "```\nlet x = 1\n```"
                                             << "";
        QTest::newRow("only a fenced block, surrounded by blank lines") << "\n\n```swift\ncode\n```\n  "
                                                                        << "";
        QTest::newRow("link and bold word") << "See [the docs](https://example.com/a_b) and **now**."
                                            << "See the docs and now.";
        QTest::newRow("indented fence with a language")
            << "Run this:\n    ```bash\n    rm -rf build\n    ```\nDone."
            << "Run this:\nDone.";
        QTest::newRow("unclosed fence drops the rest") << "Before\n```\nsecret\nmore"
                                                       << "Before";
        QTest::newRow("text after a closed fence is kept untrimmed") << "```\nx\n```\n  indented"
                                                                     << "indented";
        QTest::newRow("markers removed anywhere") << "# Title\n> quote_with_under ~x~ `code`"
                                                  << "Title\n quotewithunder x code";
        QTest::newRow("bare URL and emoji unchanged") << "Go to https://x.org/?a=1 🎉"
                                                      << "Go to https://x.org/?a=1 🎉";
        QTest::newRow("other newline characters split lines") << "a\r```\rb\u2028```\u2029c"
                                                              << "a\nc";
        QTest::newRow("brackets without a link stay") << "[1] (note)"
                                                      << "[1] (note)";
    }

    void plain()
    {
        QFETCH(QString, text);
        QFETCH(QString, spoken);
        QCOMPARE(ReadAloudText::plain(text), spoken);
    }
};

TESSALY_TEST_GUILESS_MAIN(ReadAloudTextTest)
#include "test_readaloudtext.moc"
