#include "speech/QtSpeechEngine.h"

#include <QTextToSpeech>
#include <utility>

QtSpeechEngine::QtSpeechEngine(QObject *parent) : SpeechEngine(parent), m_speech(new QTextToSpeech(this))
{
    connect(m_speech, &QTextToSpeech::stateChanged, this,
            [this](QTextToSpeech::State state) { stateChanged(state); });
    connect(m_speech, &QTextToSpeech::errorOccurred, this,
            [this](QTextToSpeech::ErrorReason, const QString &reason) { fail(reason); });
}

QtSpeechEngine::~QtSpeechEngine()
{
    m_current = 0;
    m_speech->stop(QTextToSpeech::BoundaryHint::Immediate);
}

QList<ReadAloudVoice::Voice> QtSpeechEngine::voices()
{
    if (m_voices)
        return *m_voices;
    m_voices.emplace();
    const QLocale original = m_speech->locale();
    for (const QLocale &locale : m_speech->availableLocales()) {
        m_speech->setLocale(locale);
        for (const QVoice &voice : m_speech->availableVoices()) {
            const ReadAloudVoice::Voice listed =
                ReadAloudVoice::fromEngine(m_speech->engine(), voice.name(), locale.name());
            if (m_engineVoices.contains(listed.identifier))
                continue;
            m_engineVoices.insert(listed.identifier, EngineVoice{locale, voice});
            m_voices->append(listed);
        }
    }
    m_speech->setLocale(original);
    return *m_voices;
}

void QtSpeechEngine::useVoice(const QString &identifier)
{
    if (identifier == m_voiceInUse)
        return;
    const auto found = m_engineVoices.constFind(identifier);
    if (found == m_engineVoices.constEnd())
        return;
    m_speech->setLocale(found->locale);
    m_speech->setVoice(found->voice);
    m_voiceInUse = identifier;
}

void QtSpeechEngine::say(quint64 id, const QString &text, const QString &voiceIdentifier)
{
    m_current = id;
    m_seenSpeaking = false;
    // Without a plugin, or with one that could not start, nothing would ever report back.
    const auto reason = m_speech->errorReason();
    if (m_speech->engine().isEmpty()) {
        fail(tr("No speech engine is installed."));
        return;
    }
    if (reason == QTextToSpeech::ErrorReason::Initialization ||
        reason == QTextToSpeech::ErrorReason::Configuration) {
        fail(m_speech->errorString());
        return;
    }
    useVoice(voiceIdentifier);
    m_speech->say(text);
}

void QtSpeechEngine::stop()
{
    m_current = 0;
    m_speech->stop(QTextToSpeech::BoundaryHint::Immediate);
}

void QtSpeechEngine::stateChanged(int state)
{
    if (!m_current)
        return;
    switch (QTextToSpeech::State(state)) {
    case QTextToSpeech::Speaking:
        m_seenSpeaking = true;
        break;
    case QTextToSpeech::Ready:
        // A Ready before Speaking belongs to the text stopped before this one.
        if (m_seenSpeaking)
            emit finished(std::exchange(m_current, 0));
        break;
    case QTextToSpeech::Error:
        fail(m_speech->errorString());
        break;
    case QTextToSpeech::Paused:
        break;
    }
}

void QtSpeechEngine::fail(const QString &reason)
{
    // Qt reports one failure in several signals; the first one ends the text.
    if (m_current)
        emit failed(std::exchange(m_current, 0), reason);
}

#include "moc_QtSpeechEngine.cpp"
