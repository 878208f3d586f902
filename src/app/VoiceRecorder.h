#pragma once

#include "ui/VoiceInput.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <memory>

class Alerts;
class BotFaceView;
class BotSelection;
class ProcessRunner;
class TelegramClient;

// The microphone button: records a voice note with a level meter, encodes it
// as Opus in Ogg (the only form TDLib sends as a voice message) and sends it
// with the composer's text as caption.
class VoiceRecorder : public QObject
{
    Q_OBJECT
public:
    struct Dependencies
    {
        std::function<TelegramClient *()> client;
        BotSelection *selection = nullptr;
        BotFaceView *face = nullptr;
        Alerts *alerts = nullptr;
        // Null: the system's default microphone.
        std::function<std::unique_ptr<VoiceInput>()> microphone;
        QStringList ffmpegCandidates;
    };

    explicit VoiceRecorder(Dependencies dependencies, QObject *parent = nullptr);
    ~VoiceRecorder() override;

    void toggleVoiceRecording();
    bool isRecording() const { return m_voiceRecorder != nullptr; }
    // A "Voice message" sheet; with the settings offer where the platform has a page for it.
    void showVoiceAlert(const QString &text, bool offerSettings);

private:
    void startVoiceRecording();
    void stopVoiceRecording();
    void levelTick();
    void encodeAndSend(const QString &rawPath, int sampleRate, const QString &oggPath, int duration);

    Dependencies m_deps;
    std::unique_ptr<VoiceInput> m_voiceRecorder;
    QString m_voiceRecordingPath;
    QElapsedTimer m_voiceRecordingStartedAt;
    QTimer m_recordingLevelTimer;
    double m_phase = 0;
    QPointer<ProcessRunner> m_encoder;
};
