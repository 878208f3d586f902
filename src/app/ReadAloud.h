#pragma once

#include "speech/MessageSpeaker.h"

class BotFaceView;
class SettingsStore;

// Reading aloud in the application: the bot face's speaker gets the system's
// speech engine (or the environment's) and the stored voice; new bot messages are queued for it
// while `autoReadNewMessages` is on; a failure to speak shows on the window's
// status line instead of leaving a button waiting.
class ReadAloud
{
public:
    // engine: null for the system's speech engine.
    ReadAloud(const SettingsStore &settings, BotFaceView *face, MessageSpeaker::EngineFactory engine);

    static QString unavailableText(const QString &reason);
};
