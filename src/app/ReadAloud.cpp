#include "app/ReadAloud.h"

#include "settings/SpeechPreferences.h"
#include "speech/MediaDucker.h"
#include "speech/QtSpeechEngine.h"
#include "speech/ReadAloudText.h"
#include "ui/BotFaceView.h"
#include "ui/TranscriptController.h"

ReadAloud::ReadAloud(const SettingsStore &settings, BotFaceView *face, MessageSpeaker::EngineFactory engine,
                     PlayersFactory players)
{
    MessageSpeaker *speaker = face->speaker();
    if (!engine)
        engine = [] { return std::make_unique<QtSpeechEngine>(); };
    speaker->setEngineFactory(std::move(engine));
    speaker->selectedVoiceIdentifier = [&settings] {
        return SpeechPreferences::selectedVoiceIdentifier(settings);
    };
    speaker->setDucker(std::make_unique<MediaDucker>(settings, players ? players() : MediaPlayers::system()));
    speaker->onUnavailable = [face](const QString &reason) { face->showStatus(unavailableText(reason)); };

    // The transcript decides which messages are new from the bot and skips a
    // chat's first history; the setting is read each time, never cached.
    TranscriptController *transcript = face->transcript();
    transcript->autoReadEnabled = [&settings] { return SpeechPreferences::autoReadNewMessages(settings); };
    transcript->onFreshMessages = [speaker](const QList<BotMessage> &fresh) {
        for (const BotMessage &message : fresh)
            speaker->enqueue(ReadAloudText::plain(message.text));
    };
}

QString ReadAloud::unavailableText(const QString &reason)
{
    const QString detail = reason.trimmed();
    if (detail.isEmpty())
        return QStringLiteral("Reading aloud is not available.");
    return QStringLiteral("Reading aloud is not available: %1").arg(detail);
}
