#pragma once

#include "speech/SpeechEngine.h"

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

    void say(quint64 id, const QString &text) override;
    void stop() override;

private:
    void stateChanged(int state);
    void fail(const QString &reason);

    QTextToSpeech *m_speech;
    quint64 m_current = 0;
    bool m_seenSpeaking = false;
};
