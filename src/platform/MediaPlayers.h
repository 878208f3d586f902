#pragma once

#include <QString>
#include <QStringList>
#include <memory>

// Other applications' media players, as far as this system lets us control
// them. Used from one worker thread at a time; each call may block briefly.
// Every failure (no bus, a player that refuses or is not permitted) reads as
// nothing playing and nothing paused.
class MediaPlayers
{
public:
    virtual ~MediaPlayers() = default;

    // The players that are (or may be) playing now, in the order in which
    // they are paused and resumed.
    virtual QStringList playing() = 0;
    // Pauses player when it plays; true when it paused something.
    virtual bool pause(const QString &player) = 0;
    // Makes a player that this application paused play again, when it is still there.
    virtual void play(const QString &player) = 0;

    // This system's players.
    static std::unique_ptr<MediaPlayers> system();
};
