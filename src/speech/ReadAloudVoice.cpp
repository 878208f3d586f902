#include "speech/ReadAloudVoice.h"

#include <QLocale>
#include <algorithm>

namespace ReadAloudVoice {

namespace {
bool namesQuality(const QString &name)
{
    return name.contains(QLatin1String("premium"), Qt::CaseInsensitive) ||
           name.contains(QLatin1String("enhanced"), Qt::CaseInsensitive);
}
} // namespace

Voice fromEngine(const QString &engine, const QString &name, const QString &localeName)
{
    Voice voice;
    voice.identifier = engine + QLatin1Char('/') + name + QLatin1Char('/') + localeName;
    voice.name = name;
    voice.language = QString(localeName).replace(QLatin1Char('_'), QLatin1Char('-'));
    if (name.contains(QLatin1String("premium"), Qt::CaseInsensitive))
        voice.quality = 3;
    else if (name.contains(QLatin1String("enhanced"), Qt::CaseInsensitive))
        voice.quality = 2;
    return voice;
}

QString preferredLanguage(const QStringList &uiLanguages)
{
    for (const QString &language : uiLanguages) {
        // The C locale names no language.
        if (!language.isEmpty() && language != QLatin1String("C") && language != QLatin1String("POSIX"))
            return language;
    }
    return QStringLiteral("en-GB");
}

QString preferredLanguage()
{
    return preferredLanguage(QLocale::system().uiLanguages());
}

bool isNovelty(const Voice &voice)
{
    return voice.identifier.contains(QLatin1String(".eloquence.")) ||
           voice.identifier.startsWith(QLatin1String("com.apple.speech.synthesis.voice."));
}

int score(const Voice &voice, const QString &preferred)
{
    int result = voice.quality * 100;
    // The whole code: American English is no match for British English.
    if (voice.language.compare(preferred, Qt::CaseInsensitive) == 0)
        result += 40;
    if (isNovelty(voice))
        result -= 250;
    return result;
}

QList<Voice> pickerVoices(const QList<Voice> &installed, const QString &preferred)
{
    const QString prefix = preferred.left(2).toLower();
    QList<Voice> voices;
    for (const Voice &voice : installed) {
        if (voice.language.toLower().startsWith(prefix))
            voices << voice;
    }
    if (voices.isEmpty())
        voices = installed;
    QList<Voice> serious;
    for (const Voice &voice : std::as_const(voices)) {
        if (!isNovelty(voice))
            serious << voice;
    }
    if (!serious.isEmpty())
        voices = serious;
    std::stable_sort(voices.begin(), voices.end(), [&preferred](const Voice &a, const Voice &b) {
        return score(a, preferred) > score(b, preferred);
    });
    return voices;
}

std::optional<Voice> bestVoice(const QList<Voice> &installed,
                               const std::optional<QString> &selectedIdentifier, const QString &preferred)
{
    if (selectedIdentifier) {
        for (const Voice &voice : installed) {
            if (voice.identifier == *selectedIdentifier)
                return voice;
        }
    }
    const QList<Voice> ranked = pickerVoices(installed, preferred);
    if (ranked.isEmpty())
        return std::nullopt;
    return ranked.first();
}

bool hasNaturalVoice(const QList<Voice> &installed, const QString &preferred)
{
    const QList<Voice> voices = pickerVoices(installed, preferred);
    return std::any_of(voices.begin(), voices.end(), [](const Voice &voice) { return voice.quality > 1; });
}

QString qualityName(const Voice &voice)
{
    if (voice.quality == 3)
        return QStringLiteral("Premium");
    if (voice.quality == 2)
        return QStringLiteral("Enhanced");
    if (voice.identifier.contains(QLatin1String("super-compact")))
        return QStringLiteral("Compact");
    return QStringLiteral("Standard");
}

QString displayName(const Voice &voice)
{
    if (namesQuality(voice.name))
        return voice.name + QStringLiteral(" — ") + voice.language;
    return voice.name + QStringLiteral(" — ") + qualityName(voice) + QStringLiteral(" (") + voice.language +
           QLatin1Char(')');
}

} // namespace ReadAloudVoice
