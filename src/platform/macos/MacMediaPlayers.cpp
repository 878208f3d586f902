// On the Mac, players are driven by AppleScript run through osascript. Each
// pause script pauses only what plays and returns how much it paused; the
// Chrome scripts mark the paused page elements so that resuming restarts
// exactly those. Without the user's Automation permission a script fails,
// which reads as nothing paused.
#include "core/ProcessRunner.h"
#include "platform/MediaPlayers.h"

#include <QList>
#include <chrono>

namespace {

struct Player
{
    QString name;
    QString bundleIdentifier;
    QString pauseScript;
    QString resumeScript;
};

QString appPauseScript(const QString &app)
{
    return QStringLiteral("tell application \"%1\"\n"
                          "    if player state is playing then\n"
                          "        pause\n"
                          "        return 1\n"
                          "    end if\n"
                          "end tell\n"
                          "return 0")
        .arg(app);
}

const QString kVlcPauseScript = QStringLiteral("tell application \"VLC\"\n"
                                               "    if playing then\n"
                                               "        pause\n"
                                               "        return 1\n"
                                               "    end if\n"
                                               "end tell\n"
                                               "return 0");

const QString kChromePauseScript = QStringLiteral(
    "set total to 0\n"
    "tell application \"Google Chrome\"\n"
    "    repeat with w in windows\n"
    "        repeat with t in tabs of w\n"
    "            try\n"
    "                set n to execute t javascript \"(()=>{let n=0;document.querySelectorAll('video,audio')"
    ".forEach(m=>{if(!m.paused&&!m.ended){m.dataset.tgDucked='1';m.pause();n++}});return n})()\"\n"
    "                try\n"
    "                    set total to total + (n as integer)\n"
    "                end try\n"
    "            end try\n"
    "        end repeat\n"
    "    end repeat\n"
    "end tell\n"
    "return total");

const QString kChromeResumeScript =
    QStringLiteral("tell application \"Google Chrome\"\n"
                   "    repeat with w in windows\n"
                   "        repeat with t in tabs of w\n"
                   "            try\n"
                   "                execute t javascript \"document.querySelectorAll('[data-tg-ducked]')"
                   ".forEach(m=>{m.play().catch(()=>{});delete m.dataset.tgDucked})\"\n"
                   "            end try\n"
                   "        end repeat\n"
                   "    end repeat\n"
                   "end tell\n"
                   "return 1");

const QList<Player> &players()
{
    static const QList<Player> table{
        {QStringLiteral("Music"), QStringLiteral("com.apple.Music"), appPauseScript(QStringLiteral("Music")),
         QStringLiteral("tell application \"Music\" to play")},
        {QStringLiteral("Spotify"), QStringLiteral("com.spotify.client"),
         appPauseScript(QStringLiteral("Spotify")), QStringLiteral("tell application \"Spotify\" to play")},
        {QStringLiteral("VLC"), QStringLiteral("org.videolan.vlc"), kVlcPauseScript,
         QStringLiteral("tell application \"VLC\" to play")},
        {QStringLiteral("Chrome"), QStringLiteral("com.google.Chrome"), kChromePauseScript,
         kChromeResumeScript},
    };
    return table;
}

const Player *find(const QString &name)
{
    for (const Player &player : players())
        if (player.name == name)
            return &player;
    return nullptr;
}

// The script's integer result; 0 when it cannot be compiled, fails or returns no number.
int run(const QString &source)
{
    ProcessRunner::Request request;
    request.program = QStringLiteral("/usr/bin/osascript");
    request.arguments = {QStringLiteral("-e"), source};
    request.capture = ProcessRunner::Capture::Pipes;
    request.timeLimit = std::chrono::seconds(10);
    const ProcessRunner::Result result = ProcessRunner::runBlocking(request);
    if (!result.succeeded())
        return 0;
    bool ok = false;
    const int value = QString::fromUtf8(result.standardOutput).trimmed().toInt(&ok);
    return ok ? value : 0;
}

// Asking by bundle identifier does not launch the application.
bool isRunning(const QString &bundleIdentifier)
{
    return run(QStringLiteral("if application id \"%1\" is running then\n    return 1\nend if\nreturn 0")
                   .arg(bundleIdentifier)) > 0;
}

class AppleScriptPlayers : public MediaPlayers
{
public:
    // Whether a running player actually plays is only known by pausing it.
    QStringList playing() override
    {
        QStringList running;
        for (const Player &player : players())
            if (isRunning(player.bundleIdentifier))
                running << player.name;
        return running;
    }

    bool pause(const QString &name) override
    {
        const Player *player = find(name);
        return player && run(player->pauseScript) > 0;
    }

    // Runs without checking that the player still runs; a failure is ignored.
    void play(const QString &name) override
    {
        if (const Player *player = find(name))
            run(player->resumeScript);
    }
};

} // namespace

std::unique_ptr<MediaPlayers> MediaPlayers::system()
{
    return std::make_unique<AppleScriptPlayers>();
}
