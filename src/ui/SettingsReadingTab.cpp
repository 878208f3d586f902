// The settings window's Reading tab: the two reading switches and the voice choice.
#include "settings/SettingsStore.h"
#include "settings/SpeechPreferences.h"
#include "ui/SettingsForm.h"
#include "ui/SettingsWindowController.h"
#include "ui/ThemedSwitch.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

namespace {

const QString voiceTestText = QStringLiteral("This is how I will read your messages.");

#ifdef Q_OS_MACOS
const QString naturalVoicesMissing =
    QStringLiteral("Free natural voices need a download. Open System Settings → Accessibility → Read & Speak "
                   "→ System voice ⓘ → "
                   "Manage Voices, then download an English Premium voice.");
const QString downloadVoicesHelp =
    QStringLiteral("Open System Settings to download Premium or Enhanced voices.");
#else
const QString naturalVoicesMissing = QStringLiteral(
    "Free natural voices need a download. Press Download voices… to see how to add an English voice to the "
    "speech engine, then reopen Settings.");
const QString downloadVoicesHelp =
    QStringLiteral("Open the speech settings or the speech engine's guide to download natural voices.");
#endif

} // namespace

QList<QWidget *> SettingsWindowController::buildReadingTab()
{
    SettingsStore *settings = m_services.settings;
    m_autoReadSwitch = new ThemedSwitch(m_content);
    m_autoReadSwitch->setAccessibleName(QStringLiteral("Read new messages aloud"));
    m_autoReadSwitch->setOn(settings && SpeechPreferences::autoReadNewMessages(*settings));
    connect(m_autoReadSwitch, &ThemedSwitch::toggled, this, [settings](bool on) {
        if (settings)
            SpeechPreferences::setAutoReadNewMessages(*settings, on);
    });
    m_pauseOtherAudioSwitch = new ThemedSwitch(m_content);
    m_pauseOtherAudioSwitch->setAccessibleName(QStringLiteral("Pause other audio while reading"));
    m_pauseOtherAudioSwitch->setOn(!settings || SpeechPreferences::pauseOtherAudioWhileReading(*settings));
    connect(m_pauseOtherAudioSwitch, &ThemedSwitch::toggled, this, [settings](bool on) {
        if (settings)
            SpeechPreferences::setPauseOtherAudioWhileReading(*settings, on);
    });

    m_voicePopup = popup();
    m_voicePopup->setAccessibleName(QStringLiteral("Voice"));
    m_voiceNote = note(QString(), 3);
    m_useVoiceButton = button(QStringLiteral("Use voice"));
    m_downloadVoicesButton = button(QStringLiteral("Download voices…"));
    m_downloadVoicesButton->setToolTip(downloadVoicesHelp);
    connect(m_useVoiceButton, &QPushButton::clicked, this, &SettingsWindowController::useVoice);
    connect(m_downloadVoicesButton, &QPushButton::clicked, this, &SettingsWindowController::downloadVoices);

    QList<QWidget *> cards{
        card(QStringLiteral("Reading"), QStringLiteral("speaker.wave.2"),
             {row(QStringLiteral("Read new messages"), m_autoReadSwitch),
              note(QStringLiteral("Speaks every new bot message. Off by default.")),
              row(QStringLiteral("Pause other audio"), m_pauseOtherAudioSwitch),
              note(QStringLiteral("Pauses music and browser audio while reading, then resumes it.")),
              row(QStringLiteral("Voice"), m_voicePopup), m_voiceNote,
              buttonRow({m_useVoiceButton, m_downloadVoicesButton})})};
    reloadVoices();
    return cards;
}

SpeechEngine *SettingsWindowController::previewer()
{
    if (!m_voicePreviewer && m_services.speechEngine)
        m_voicePreviewer = m_services.speechEngine();
    return m_voicePreviewer.get();
}

void SettingsWindowController::reloadVoices()
{
    SpeechEngine *engine = previewer();
    const QList<ReadAloudVoice::Voice> installed = engine ? engine->voices() : QList<ReadAloudVoice::Voice>();
    const QList<ReadAloudVoice::Voice> voices =
        ReadAloudVoice::pickerVoices(installed, m_services.preferredLanguage);
    const int previous = m_voicePopup->currentIndex();

    // Refilling must not count as the user's choice.
    const QSignalBlocker quiet(m_voicePopup);
    m_voicePopup->clear();
    m_voicePopup->addItem(QStringLiteral("Best available"));
    m_voiceIdentifiers.clear();
    for (const ReadAloudVoice::Voice &voice : voices) {
        m_voicePopup->addItem(ReadAloudVoice::displayName(voice));
        m_voiceIdentifiers.append(voice.identifier);
    }
    const std::optional<QString> stored =
        m_services.settings ? SpeechPreferences::selectedVoiceIdentifier(*m_services.settings) : std::nullopt;
    m_voicePopup->setCurrentIndex(SettingsForm::voiceSelection(m_voiceIdentifiers, stored, previous));
    m_voiceNote->setText(ReadAloudVoice::hasNaturalVoice(installed, m_services.preferredLanguage)
                             ? QStringLiteral("Natural voices are installed. Pick one, then press Use voice.")
                             : naturalVoicesMissing);
}

void SettingsWindowController::useVoice()
{
    const int index = m_voicePopup->currentIndex();
    if (m_services.settings) {
        if (index > 0 && index <= m_voiceIdentifiers.size())
            SpeechPreferences::setSelectedVoiceIdentifier(*m_services.settings,
                                                          m_voiceIdentifiers.at(index - 1));
        else if (index == 0)
            SpeechPreferences::setSelectedVoiceIdentifier(*m_services.settings, std::nullopt);
    }
    playVoiceTest();
}

void SettingsWindowController::playVoiceTest()
{
    SpeechEngine *engine = previewer();
    if (!engine)
        return;
    engine->stop();
    const QList<ReadAloudVoice::Voice> installed = engine->voices();
    const int index = m_voicePopup->currentIndex();
    QString identifier;
    if (index > 0 && index <= m_voiceIdentifiers.size()) {
        const QString chosen = m_voiceIdentifiers.at(index - 1);
        for (const ReadAloudVoice::Voice &voice : installed)
            if (voice.identifier == chosen)
                identifier = chosen;
    }
    if (identifier.isEmpty())
        if (const auto best =
                ReadAloudVoice::bestVoice(installed, std::nullopt, m_services.preferredLanguage))
            identifier = best->identifier;
    static quint64 nextPreview = 1;
    engine->say(nextPreview++, voiceTestText, identifier);
}

QUrl SettingsWindowController::voiceDownloadAddress()
{
#ifdef Q_OS_MACOS
    return QUrl(
        QStringLiteral("x-apple.systempreferences:com.apple.preference.universalaccess?SpokenContent"));
#else
    // Voices come from the speech dispatcher's output modules; its guide says how to add them.
    return QUrl(QStringLiteral("https://freebsoft.org/speechd"));
#endif
}

void SettingsWindowController::downloadVoices()
{
    if (m_services.openUrl)
        m_services.openUrl(voiceDownloadAddress());
}
