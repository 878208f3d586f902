#include "speech/ReadAloudVoice.h"
#include "support/TestMain.h"

#include <QtTest>

using ReadAloudVoice::Voice;
Q_DECLARE_METATYPE(ReadAloudVoice::Voice)

namespace {
Voice voice(const QString &identifier, const QString &language, int quality, const QString &name = "Voice")
{
    return Voice{identifier, name, language, quality};
}

QStringList identifiers(const QList<Voice> &voices)
{
    QStringList result;
    for (const Voice &v : voices)
        result << v.identifier;
    return result;
}

const Voice novelty = voice("com.apple.speech.synthesis.voice.Bells", "en-GB", 3);
const Voice eloquence = voice("com.apple.eloquence.en-US.Eddy", "en-US", 2);
const Voice britishStandard = voice("flite/kal/en_GB", "en-GB", 1);
const Voice americanEnhanced = voice("x/Ava (Enhanced)/en_US", "en-US", 2);
const Voice americanStandard = voice("flite/slt/en_US", "en-US", 1);
const Voice germanPremium = voice("x/Anna (Premium)/de_DE", "de-DE", 3);
const Voice frenchStandard = voice("flite/fr/fr_FR", "fr-FR", 1);
} // namespace

class ReadAloudVoiceTest : public QObject
{
    Q_OBJECT
private slots:
    void engineVoicesGetStableIdentifiersAndTheirNamedQuality()
    {
        const Voice slt = ReadAloudVoice::fromEngine("flite", "slt", "en_US");
        QCOMPARE(slt, (Voice{"flite/slt/en_US", "slt", "en-US", 1}));
        QCOMPARE(ReadAloudVoice::fromEngine("speechd", "Zoe (Premium)", "en_GB").quality, 3);
        QCOMPARE(ReadAloudVoice::fromEngine("speechd", "Ava ENHANCED", "en_US").quality, 2);

        QCOMPARE(ReadAloudVoice::preferredLanguage(QStringList{}), QStringLiteral("en-GB"));
        QCOMPARE(ReadAloudVoice::preferredLanguage(QStringList{"C"}), QStringLiteral("en-GB"));
        QCOMPARE(ReadAloudVoice::preferredLanguage(QStringList{"de-CH", "en-US"}), QStringLiteral("de-CH"));
    }

    void rankingPrefersQualityThenTheWholeLanguageCodeAndAvoidsNovelties()
    {
        // The language bonus needs the whole code: American English gains nothing for a British user.
        QCOMPARE(ReadAloudVoice::score(americanStandard, "en-GB"), 100);
        QCOMPARE(ReadAloudVoice::score(britishStandard, "EN-gb"), 140);
        QCOMPARE(ReadAloudVoice::score(novelty, "en-GB"), 300 + 40 - 250);

        const QList<Voice> installed{novelty,   americanStandard, frenchStandard, britishStandard,
                                     eloquence, americanEnhanced, germanPremium};
        // Same prefix only, novelties dropped, quality above the language bonus.
        QCOMPARE(identifiers(ReadAloudVoice::pickerVoices(installed, "en-GB")),
                 identifiers({americanEnhanced, britishStandard, americanStandard}));
        QVERIFY(ReadAloudVoice::hasNaturalVoice(installed, "en-GB"));
        QVERIFY(!ReadAloudVoice::hasNaturalVoice(installed, "fr-FR"));

        // Only novelties for the language: they stay, rather than nothing.
        QCOMPARE(identifiers(ReadAloudVoice::pickerVoices({novelty, eloquence, frenchStandard}, "en-GB")),
                 identifiers({novelty, eloquence}));

        // Equal scores keep the engine's order.
        const Voice second = voice("flite/rms/en_US", "en-US", 1);
        QCOMPARE(identifiers(ReadAloudVoice::pickerVoices({americanStandard, second}, "en-US")),
                 identifiers({americanStandard, second}));
        QCOMPARE(identifiers(ReadAloudVoice::pickerVoices({second, americanStandard}, "en-US")),
                 identifiers({second, americanStandard}));
    }

    void bestVoiceFallsBackWhenTheStoredOneIsGone()
    {
        const QList<Voice> installed{americanStandard, americanEnhanced, frenchStandard};
        QCOMPARE(ReadAloudVoice::bestVoice(installed, QStringLiteral("flite/fr/fr_FR"), "en-GB"),
                 frenchStandard);
        QCOMPARE(ReadAloudVoice::bestVoice(installed, QStringLiteral("gone/voice/en_GB"), "en-GB"),
                 americanEnhanced);
        QCOMPARE(ReadAloudVoice::bestVoice(installed, std::nullopt, "en-GB"), americanEnhanced);
        QCOMPARE(ReadAloudVoice::bestVoice({}, std::nullopt, "en-GB"), std::nullopt);

        // No voice for the language: all languages are ranked, and a novelty loses to a lower quality.
        QCOMPARE(ReadAloudVoice::bestVoice({novelty, frenchStandard}, std::nullopt, "ja-JP"), frenchStandard);
    }

    void names_data()
    {
        QTest::addColumn<Voice>("voice");
        QTest::addColumn<QString>("quality");
        QTest::addColumn<QString>("display");
        QTest::newRow("standard") << americanStandard << "Standard"
                                  << "Voice — Standard (en-US)";
        QTest::newRow("compact") << voice("com.apple.voice.super-compact.en-GB.Daniel", "en-GB", 1, "Daniel")
                                 << "Compact"
                                 << "Daniel — Compact (en-GB)";
        QTest::newRow("enhanced, named")
            << voice("x/Ava (Enhanced)/en_US", "en-US", 2, "Ava (Enhanced)") << "Enhanced"
            << "Ava (Enhanced) — en-US";
        QTest::newRow("premium, unnamed") << voice("x/Zoe/en_GB", "en-GB", 3, "Zoe") << "Premium"
                                          << "Zoe — Premium (en-GB)";
    }

    void names()
    {
        QFETCH(Voice, voice);
        QFETCH(QString, quality);
        QFETCH(QString, display);
        QCOMPARE(ReadAloudVoice::qualityName(voice), quality);
        QCOMPARE(ReadAloudVoice::displayName(voice), display);
    }
};

TESSALY_TEST_GUILESS_MAIN(ReadAloudVoiceTest)
#include "test_readaloudvoice.moc"
