#include "speech/MessageSpeaker.h"

#include "speech/MediaDucker.h"

#include <utility>

MessageSpeaker::MessageSpeaker(QObject *parent) : QObject(parent)
{
}

MessageSpeaker::~MessageSpeaker()
{
    // The owners are gone by now; only the engine is silenced.
    if (m_engine && isSpeaking())
        m_engine->stop();
}

void MessageSpeaker::setEngineFactory(EngineFactory factory)
{
    m_engineFactory = std::move(factory);
}

void MessageSpeaker::setDucker(std::unique_ptr<MediaDucker> ducker)
{
    m_ducker = std::move(ducker);
}

void MessageSpeaker::speak(const QString &text, const void *owner, std::function<void()> restore)
{
    stopSynthesizer();
    finish();
    m_activeOwner = owner;
    m_restore = std::move(restore);
    const Utterance utterance = makeUtterance(text);
    m_currentUtterance = utterance.id;
    hand(utterance);
}

void MessageSpeaker::enqueue(const QString &text)
{
    if (!text.isEmpty())
        hand(makeUtterance(text));
}

void MessageSpeaker::finish()
{
    std::function<void()> restore = std::exchange(m_restore, {});
    m_activeOwner = nullptr;
    m_currentUtterance = 0;
    if (restore)
        restore();
}

void MessageSpeaker::stop()
{
    stopSynthesizer();
    finish();
}

void MessageSpeaker::release(const void *owner)
{
    if (owner && owner == m_activeOwner)
        stop();
}

bool MessageSpeaker::isSpeaking(const void *owner) const
{
    return owner && owner == m_activeOwner && isSpeaking();
}

MessageSpeaker::Utterance MessageSpeaker::makeUtterance(const QString &text)
{
    return Utterance{m_nextID++, text};
}

void MessageSpeaker::hand(const Utterance &utterance)
{
    // Every text ducks: one that follows within the resume delay keeps the players paused.
    if (m_ducker)
        m_ducker->duck();
    m_queue.append(utterance);
    if (m_queue.size() == 1)
        sayFirst();
}

void MessageSpeaker::sayFirst()
{
    const Utterance first = m_queue.first();
    if (SpeechEngine *speech = engine())
        speech->say(first.id, first.text, voiceFor(*speech));
    else
        engineFailed(first.id, tr("No speech engine is installed."));
}

QString MessageSpeaker::voiceFor(SpeechEngine &speech) const
{
    const std::optional<QString> stored = selectedVoiceIdentifier ? selectedVoiceIdentifier() : std::nullopt;
    const auto voice = ReadAloudVoice::bestVoice(speech.voices(), stored, preferredLanguage);
    return voice ? voice->identifier : QString();
}

void MessageSpeaker::stopSynthesizer()
{
    if (m_queue.isEmpty())
        return;
    m_queue.clear();
    if (m_engine)
        m_engine->stop();
    queueEmptied();
}

void MessageSpeaker::queueEmptied()
{
    if (m_ducker)
        m_ducker->unduck();
}

SpeechEngine *MessageSpeaker::engine()
{
    if (!m_engine && m_engineFactory) {
        m_engine = m_engineFactory();
        if (m_engine) {
            // Queued: the engine may report from its own thread or from inside say().
            connect(m_engine.get(), &SpeechEngine::finished, this, &MessageSpeaker::engineFinished,
                    Qt::QueuedConnection);
            connect(m_engine.get(), &SpeechEngine::failed, this, &MessageSpeaker::engineFailed,
                    Qt::QueuedConnection);
        }
    }
    return m_engine.get();
}

void MessageSpeaker::engineFinished(quint64 id)
{
    // A report about a text that was stopped or replaced since is stale.
    if (m_queue.isEmpty() || m_queue.first().id != id)
        return;
    m_queue.removeFirst();
    if (!m_queue.isEmpty())
        sayFirst();
    else
        queueEmptied();
    if (id == m_currentUtterance)
        finish();
}

void MessageSpeaker::engineFailed(quint64 id, const QString &reason)
{
    if (m_queue.isEmpty() || m_queue.first().id != id)
        return;
    // What waits would fail the same way: drop it rather than report each one.
    m_queue.clear();
    queueEmptied();
    finish();
    if (onUnavailable)
        onUnavailable(reason);
}

#include "moc_MessageSpeaker.cpp"
