#pragma once

#include "speech/SpeechEngine.h"

#include <QHash>
#include <QLocale>
#include <QVoice>
#include <optional>

class QTextToSpeech;

// The system's speech engine through Qt (flite on Linux, speech-dispatcher
// where present). Qt reports only the engine's state, not which text it is
// about, so a text counts as finished when the engine comes back to Ready
// after it was seen speaking that text.
class QtSpeechEngine : public SpeechEngine
{
    Q_OBJECT
public:
    explicit QtSpeechEngine(QObject *parent = nullptr);
    ~QtSpeechEngine() override;

    QList<ReadAloudVoice::Voice> voices() override;
    void say(quint64 id, const QString &text, const QString &voiceIdentifier) override;
    void stop() override;

private:
    struct EngineVoice
    {
        QLocale locale;
        QVoice voice;
    };

    void stateChanged(int state);
    void fail(const QString &reason);
    void useVoice(const QString &identifier);

    QTextToSpeech *m_speech;
    quint64 m_current = 0;
    bool m_seenSpeaking = false;
    // Qt lists the voices of one locale at a time: all of them are gathered once.
    std::optional<QList<ReadAloudVoice::Voice>> m_voices;
    QHash<QString, EngineVoice> m_engineVoices;
    QString m_voiceInUse;
};
