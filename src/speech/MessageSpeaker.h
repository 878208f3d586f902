#pragma once

#include "speech/SpeechEngine.h"

#include <QList>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

class MediaDucker;

// The application's one speaker. It reads a message on demand for one owner
// (a message row) at a time, and queues new messages read automatically.
// Other audio is ducked while anything is spoken or queued. The
// owner learns that its speech ended (finished, stopped, replaced, failed or
// its row removed) through its restore action, which runs exactly once.
// Engine reports arrive queued, so they are always handled on this object's
// thread and never inside a call into the speaker.
class MessageSpeaker : public QObject
{
    Q_OBJECT
public:
    using EngineFactory = std::function<std::unique_ptr<SpeechEngine>()>;

    explicit MessageSpeaker(QObject *parent = nullptr);
    ~MessageSpeaker() override;

    // The engine is made on first use: nothing loads until something is read.
    // Without a factory, reading aloud is not available.
    void setEngineFactory(EngineFactory factory);
    // Pauses other audio while speaking; without one, other audio plays on.
    void setDucker(std::unique_ptr<MediaDucker> ducker);
    MediaDucker *ducker() const { return m_ducker.get(); }
    // The stored voice (none: the best one installed), read for each text.
    std::function<std::optional<QString>()> selectedVoiceIdentifier;
    // The language voices are ranked for; the system's by default.
    QString preferredLanguage = ReadAloudVoice::preferredLanguage();
    // The engine could not speak; the reason is the engine's own words.
    std::function<void(const QString &reason)> onUnavailable;

    // Starts on-demand speech of cleaned text, replacing whatever was spoken or queued.
    void speak(const QString &text, const void *owner, std::function<void()> restore);
    // Queues cleaned text behind anything being spoken, without an owner.
    void enqueue(const QString &text);
    // Ends the on-demand bookkeeping: clears the owner and runs its restore action.
    void finish();
    // The row's stop path: silence now, drop the queue, finish.
    void stop();
    // owner's row is being discarded or rebuilt: when it is speaking, stop at once.
    void release(const void *owner);

    // Whether owner started the current speech and the engine still has it.
    bool isSpeaking(const void *owner) const;
    // Whether anything is being spoken or queued.
    bool isSpeaking() const { return !m_queue.isEmpty(); }
    const void *activeOwner() const { return m_activeOwner; }

private:
    struct Utterance
    {
        quint64 id = 0;
        QString text;
    };

    Utterance makeUtterance(const QString &text);
    void hand(const Utterance &utterance);
    void sayFirst();
    QString voiceFor(SpeechEngine &speech) const;
    void stopSynthesizer();
    void queueEmptied();
    SpeechEngine *engine();
    void engineFinished(quint64 id);
    void engineFailed(quint64 id, const QString &reason);

    EngineFactory m_engineFactory;
    std::unique_ptr<SpeechEngine> m_engine;
    std::unique_ptr<MediaDucker> m_ducker;
    // The first utterance is with the engine; the rest wait their turn.
    QList<Utterance> m_queue;
    quint64 m_nextID = 1;
    const void *m_activeOwner = nullptr;
    quint64 m_currentUtterance = 0;
    std::function<void()> m_restore;
};
