#include "speech/MediaDucker.h"

#include "platform/MediaPlayers.h"
#include "settings/SpeechPreferences.h"

#include <QSemaphore>
#include <QTimer>

MediaDucker::MediaDucker(const SettingsStore &settings, std::unique_ptr<MediaPlayers> players,
                         std::chrono::milliseconds resumeDelay)
    : m_settings(settings), m_players(std::move(players)), m_resumeDelay(resumeDelay),
      m_queue(QStringLiteral("com.hollowmere.quayline.media-ducker"))
{
}

MediaDucker::~MediaDucker()
{
    // Never used: no thread, nothing paused.
    if (!m_queue.hasStarted())
        return;
    // Quitting while something is read must not leave the user's music
    // paused: what this ducker paused plays again now, without the delay.
    m_queue.async([this] {
        delete m_resumeWork;
        m_resumeWork = nullptr;
        if (m_isDucking)
            resumePlayingAudio();
    });
    m_queue.drain();
}

QTimer *MediaDucker::resumeWork()
{
    // Created on first use, on the queue's thread, so that the resume runs there.
    if (!m_resumeWork) {
        m_resumeWork = new QTimer(m_queue.context());
        m_resumeWork->setSingleShot(true);
        m_resumeWork->setInterval(m_resumeDelay);
        QObject::connect(m_resumeWork, &QTimer::timeout, m_queue.context(), [this] { resumePlayingAudio(); });
    }
    return m_resumeWork;
}

bool MediaDucker::isEnabled() const
{
    return SpeechPreferences::pauseOtherAudioWhileReading(m_settings);
}

void MediaDucker::duck()
{
    if (!isEnabled())
        return;
    m_queue.async([this] {
        resumeWork()->stop();
        if (m_isDucking)
            return;
        m_isDucking = true;
        pausePlayingAudio();
    });
}

void MediaDucker::unduck()
{
    m_queue.async([this] {
        if (m_isDucking)
            resumeWork()->start();
    });
}

void MediaDucker::pausePlayingAudio()
{
    if (!m_players)
        return;
    for (const QString &player : m_players->playing())
        if (m_players->pause(player))
            m_pausedPlayers << player;
}

void MediaDucker::resumePlayingAudio()
{
    if (m_players)
        for (const QString &player : std::as_const(m_pausedPlayers))
            m_players->play(player);
    m_pausedPlayers.clear();
    m_isDucking = false;
}

template <typename T> T MediaDucker::onQueue(std::function<T()> read)
{
    T value{};
    QSemaphore done;
    m_queue.async([&] {
        value = read();
        done.release();
    });
    done.acquire();
    return value;
}

bool MediaDucker::isDucking()
{
    return onQueue<bool>([this] { return m_isDucking; });
}

QStringList MediaDucker::pausedPlayers()
{
    return onQueue<QStringList>([this] { return m_pausedPlayers; });
}

bool MediaDucker::isResumePending()
{
    return onQueue<bool>([this] { return m_resumeWork && m_resumeWork->isActive(); });
}
