#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// The choice of voice for reading aloud: the engine's voices ranked by
// quality, by the user's language and against novelty voices.
namespace ReadAloudVoice {

struct Voice
{
    // Stable across runs: engine, name and locale ("flite/slt/en_US").
    QString identifier;
    QString name;
    // A language code such as "en-US".
    QString language;
    // 1 standard, 2 enhanced, 3 premium.
    int quality = 1;

    bool operator==(const Voice &) const = default;
};

// A voice as an engine lists it; the quality comes from what its name says.
Voice fromEngine(const QString &engine, const QString &name, const QString &localeName);

// The first of the user's UI languages, "en-GB" when there is none.
QString preferredLanguage(const QStringList &uiLanguages);
// preferredLanguage of the system's UI languages.
QString preferredLanguage();

bool isNovelty(const Voice &voice);
int score(const Voice &voice, const QString &preferred);
// The voices offered for the preferred language, best first (equal scores keep the engine's order).
QList<Voice> pickerVoices(const QList<Voice> &installed, const QString &preferred);
// The stored voice while it is installed, otherwise the best of pickerVoices; none leaves the engine's
// default.
std::optional<Voice> bestVoice(const QList<Voice> &installed,
                               const std::optional<QString> &selectedIdentifier, const QString &preferred);
bool hasNaturalVoice(const QList<Voice> &installed, const QString &preferred);
QString qualityName(const Voice &voice);
QString displayName(const Voice &voice);

} // namespace ReadAloudVoice
