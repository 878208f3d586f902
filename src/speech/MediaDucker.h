#pragma once

#include "core/SerialQueue.h"

#include <QStringList>
#include <chrono>
#include <memory>

class MediaPlayers;
class QTimer;
class SettingsStore;

// Pauses other audio while something is read aloud and afterwards resumes
// exactly the players it paused itself. duck() and unduck() only enqueue:
// the players are driven on the ducker's own serial queue, where all of its
// state lives. The resume waits a moment after the last unduck(), and a new
// duck() in that moment cancels it, so players stay paused between messages
// read one after another.
class MediaDucker
{
public:
    static constexpr std::chrono::milliseconds defaultResumeDelay{1500};

    MediaDucker(const SettingsStore &settings, std::unique_ptr<MediaPlayers> players,
                std::chrono::milliseconds resumeDelay = defaultResumeDelay);
    ~MediaDucker();
    MediaDucker(const MediaDucker &) = delete;
    MediaDucker &operator=(const MediaDucker &) = delete;

    // pauseOtherAudioWhileReading, read each time.
    bool isEnabled() const;
    // Speech starts: pause what plays, unless a duck is already in force.
    void duck();
    // Speech may have ended: resume after the delay. Not gated by isEnabled,
    // so a duck begun before the setting was turned off is still undone.
    void unduck();

    // The state once all work asked for so far has run (the caller waits for it).
    bool isDucking();
    QStringList pausedPlayers();
    bool isResumePending();

private:
    void pausePlayingAudio();
    void resumePlayingAudio();
    QTimer *resumeWork();
    template <typename T> T onQueue(std::function<T()> read);

    const SettingsStore &m_settings;
    std::unique_ptr<MediaPlayers> m_players;
    const std::chrono::milliseconds m_resumeDelay;

    // Confined to the queue.
    QStringList m_pausedPlayers;
    bool m_isDucking = false;
    QTimer *m_resumeWork = nullptr;

    // Last, so that it stops before the players and state above go away.
    SerialQueue m_queue;
};
