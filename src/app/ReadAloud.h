#pragma once

#include "platform/MediaPlayers.h"
#include "speech/MessageSpeaker.h"

class BotFaceView;
class SettingsStore;

// Reading aloud in the application: the bot face's speaker gets the system's
// speech engine (or the environment's) and the stored voice; new bot messages are queued for it
// while `autoReadNewMessages` is on; a failure to speak shows on the window's
// status line instead of leaving a button waiting. While it speaks, other
// players are paused when `pauseOtherAudioWhileReading` is on.
class ReadAloud
{
public:
    using PlayersFactory = std::function<std::unique_ptr<MediaPlayers>()>;

    // engine, players: null for the system's.
    ReadAloud(const SettingsStore &settings, BotFaceView *face, MessageSpeaker::EngineFactory engine,
              PlayersFactory players = {});

    static QString unavailableText(const QString &reason);
};
