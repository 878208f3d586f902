#pragma once

#include "speech/MessageSpeaker.h"

#include <QStringList>
#include <optional>

// A speech engine that speaks nothing: it records what it was told and
// finishes or fails only when the test says so.
class FakeSpeechEngine : public SpeechEngine
{
    Q_OBJECT
public:
    QStringList said;
    int stops = 0;
    // When set, every text fails at once with this reason (as an engine without audio does).
    std::optional<QString> failure;

    QList<ReadAloudVoice::Voice> installed;
    // The voice of each text said.
    QStringList voicesUsed;

    QList<ReadAloudVoice::Voice> voices() override { return installed; }
    void say(quint64 id, const QString &text, const QString &voice) override
    {
        said << text;
        voicesUsed << voice;
        m_current = id;
        if (failure)
            emit failed(std::exchange(m_current, 0), *failure);
    }
    void stop() override
    {
        ++stops;
        m_current = 0;
    }
    bool isSpeaking() const { return m_current != 0; }
    // The current text was spoken to its end (the report reaches the speaker queued).
    void finishCurrent() { emit finished(std::exchange(m_current, 0)); }
    // A late report about a text that was stopped, as real engines send.
    void finishStale(quint64 id) { emit finished(id); }
    quint64 current() const { return m_current; }

private:
    quint64 m_current = 0;
};

// Hands a speaker its fake engine and keeps a pointer to it for the test.
struct FakeSpeech
{
    FakeSpeechEngine *engine = nullptr;
    std::optional<QString> failure;
    QList<ReadAloudVoice::Voice> installed;

    MessageSpeaker::EngineFactory factory()
    {
        return [this]() -> std::unique_ptr<SpeechEngine> {
            auto made = std::make_unique<FakeSpeechEngine>();
            made->failure = failure;
            made->installed = installed;
            engine = made.get();
            return made;
        };
    }
    QStringList said() const { return engine ? engine->said : QStringList(); }
};
