#include "app/VoiceRecorder.h"

#include "app/AttachmentSender.h"
#include "chat/BotSelection.h"
#include "chat/VoiceRecording.h"
#include "core/Alerts.h"
#include "core/Guarded.h"
#include "core/ProcessRunner.h"
#include "platform/MicrophoneAccess.h"
#include "telegram/TelegramClient.h"
#include "ui/BotFaceView.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <QUuid>

namespace {
constexpr int levelIntervalMs = 80;
// Encoding a few minutes of speech takes a second or two; a wedged ffmpeg must not keep the note forever.
constexpr std::chrono::seconds encodeTimeLimit{60};

QString firstExecutable(const QStringList &candidates)
{
    for (const QString &path : candidates) {
        if (QFileInfo(path).isExecutable())
            return path;
    }
    return {};
}
} // namespace

VoiceRecorder::VoiceRecorder(Dependencies dependencies, QObject *parent)
    : QObject(parent), m_deps(std::move(dependencies))
{
    m_recordingLevelTimer.setInterval(levelIntervalMs);
    connect(&m_recordingLevelTimer, &QTimer::timeout, this, &VoiceRecorder::levelTick);
}

VoiceRecorder::~VoiceRecorder()
{
    if (m_voiceRecorder)
        m_voiceRecorder->stop();
}

void VoiceRecorder::toggleVoiceRecording()
{
    if (isRecording()) {
        stopVoiceRecording();
        return;
    }
    if (!m_deps.selection->selectedChat()) {
        showVoiceAlert(QStringLiteral("Choose a bot before recording a voice message."), false);
        return;
    }
    switch (MicrophoneAccess::status()) {
    case MicrophoneAccess::Status::Authorized:
        startVoiceRecording();
        return;
    case MicrophoneAccess::Status::NotDetermined:
        MicrophoneAccess::request(guarded(this, [this](bool granted) {
            if (granted)
                startVoiceRecording();
            else
                showVoiceAlert(QStringLiteral("Microphone access is required to record voice messages."), true);
        }));
        return;
    case MicrophoneAccess::Status::Denied:
        showVoiceAlert(
            QStringLiteral("Microphone access is turned off for Tessaly. Allow it in System Settings, then try again."),
            true);
        return;
    }
}

void VoiceRecorder::showVoiceAlert(const QString &text, bool offerSettings)
{
    const QString settings = offerSettings ? MicrophoneAccess::settingsURL() : QString();
    AlertRequest request;
    request.message = QStringLiteral("Voice message");
    request.informativeText = text;
    if (!settings.isEmpty())
        request.buttons.append(QStringLiteral("Open Microphone Settings"));
    request.buttons.append(QStringLiteral("OK"));
    request.cancelIndex = int(request.buttons.size()) - 1;
    m_deps.alerts->present(request, [settings](const AlertAnswer &answer) {
        if (!settings.isEmpty() && answer.buttonIndex == 0)
            QDesktopServices::openUrl(QUrl(settings));
    });
}

void VoiceRecorder::startVoiceRecording()
{
    QString error;
    const QString folder = AttachmentSender::outgoingFolder(m_deps.client(), &error);
    if (folder.isEmpty()) {
        showVoiceAlert(QStringLiteral("Could not start voice recording: ") + error, false);
        return;
    }
    const QString uuid = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    const QString path = QDir(folder).filePath(VoiceRecording::fileName(uuid));
    auto input = m_deps.microphone ? m_deps.microphone() : VoiceInput::defaultMicrophone();
    if (!input || !input->start(path + QStringLiteral(".raw"))) {
        QFile::remove(path + QStringLiteral(".raw"));
        showVoiceAlert(QStringLiteral("Could not start microphone recording. Check that a microphone is connected "
                                      "and not in use by another app."),
                       false);
        return;
    }
    m_voiceRecorder = std::move(input);
    m_voiceRecordingPath = path;
    m_voiceRecordingStartedAt.start();
    m_phase = 0;
    m_deps.face->setRecording(true);
    m_recordingLevelTimer.start();
    m_deps.face->showStatus(QStringLiteral("Recording voice message…"));
}

void VoiceRecorder::levelTick()
{
    if (!m_voiceRecorder)
        return;
    m_phase += 0.8;
    m_deps.face->setRecordingLevel(VoiceRecording::meterLevel(m_voiceRecorder->averagePowerDb()), m_phase);
}

void VoiceRecorder::stopVoiceRecording()
{
    const std::unique_ptr<VoiceInput> input = std::move(m_voiceRecorder);
    input->stop();
    m_recordingLevelTimer.stop();
    m_deps.face->setRecording(false);
    const QString path = std::exchange(m_voiceRecordingPath, {});
    const int duration = VoiceRecording::durationSeconds(m_voiceRecordingStartedAt.elapsed());
    if (!m_deps.selection->selectedChat()) {
        QFile::remove(path + QStringLiteral(".raw"));
        return;
    }
    encodeAndSend(path + QStringLiteral(".raw"), input->sampleRate(), path, duration);
}

void VoiceRecorder::encodeAndSend(const QString &rawPath, int sampleRate, const QString &oggPath, int duration)
{
    // What the note goes with is decided now, while the user sees it.
    const QString chatID = m_deps.selection->selectedChat()->id;
    const QString caption = m_deps.face->composerText();
    const std::optional<QString> replyTo = m_deps.face->replyTargetID();
    m_deps.face->clearComposer();

    const QString ffmpeg = firstExecutable(m_deps.ffmpegCandidates);
    if (ffmpeg.isEmpty()) {
        QFile::remove(rawPath);
        showVoiceAlert(QStringLiteral("Could not prepare the voice message: ffmpeg was not found."), false);
        return;
    }
    ProcessRunner::Request request;
    request.program = ffmpeg;
    request.arguments = VoiceRecording::encoderArguments(rawPath, sampleRate, oggPath);
    request.timeLimit = encodeTimeLimit;
    request.tempFilePrefix = QStringLiteral("voice-encode");
    m_encoder = ProcessRunner::run(
        request, guarded(this, [this, rawPath, oggPath, duration, chatID, caption,
                                replyTo](const ProcessRunner::Result &result) {
            QFile::remove(rawPath);
            if (!result.succeeded() || !QFileInfo::exists(oggPath)) {
                const QString reason = QString::fromUtf8(result.standardError).trimmed();
                showVoiceAlert(QStringLiteral("Could not prepare the voice message: ") +
                                   (reason.isEmpty() ? QStringLiteral("the recording could not be encoded.") : reason),
                               false);
                return;
            }
            if (TelegramClient *client = m_deps.client())
                client->sendVoiceNote(oggPath, duration, caption, chatID, replyTo);
            m_deps.face->showStatus(QStringLiteral("Voice message sent."));
        }));
}

#include "moc_VoiceRecorder.cpp"
