#pragma once

#include "agent/MacTaskOrchestrator.h"
#include "chat/MermaidRenderer.h"
#include "platform/MediaPlayers.h"
#include "speech/MessageSpeaker.h"
#include "telegram/TelegramClient.h"
#include "ui/VoiceInput.h"
#include "ui/WebcamPhotoCapture.h"

#include <QPoint>
#include <QString>
#include <functional>

class AeroSpaceWorkspaceFollower;
class Alerts;
class QWidget;
class SecretStore;
class SingleInstance;
class SettingsStore;

// What differs between the product, the demo and the tests.
struct AppEnvironment
{
    SettingsStore *settings = nullptr;
    SecretStore *secrets = nullptr;
    TelegramClient::Options clientOptions;
    // Null: window-modal dialogs over the chat window.
    Alerts *alerts = nullptr;
    // Where to save an attachment (empty: the user cancelled). Null: the platform's save panel.
    std::function<QString(QWidget *window, const QString &suggestedName)> chooseSaveLocation;
    // The camera for "Take Photo" (null: the system's default) and how long it may settle.
    std::function<std::unique_ptr<WebcamPhotoCapture::Device>()> camera;
    WebcamPhotoCapture::Timing cameraTiming;
    // The microphone for voice notes; null: the system's default.
    std::function<std::unique_ptr<VoiceInput>()> microphone;
    // Mac tasks: the clock, watchdog and system-action backend (tests shorten or fake them).
    MacTaskOrchestrator::Options macTasks;
    // The window's clock (the reopen guard). Null: the system clock.
    std::function<QDateTime()> windowClock;
    // Where the pointer is, for hover shrink. Null: the real pointer.
    std::function<QPoint()> pointerPosition;
    // How often a window collapsed by hover shrink looks whether the pointer left it.
    int hoverExitPollMs = 100;
    // The guard that lets a later start of the application show this one's window. Null: none.
    SingleInstance *singleInstance = nullptr;
    // The speech engine for reading aloud. Null: the system's engine through Qt.
    MessageSpeaker::EngineFactory speechEngine;
    // The other players paused while reading aloud. Null: the system's; a null result: none.
    std::function<std::unique_ptr<MediaPlayers>()> mediaPlayers;
    // How long quitting waits for TDLib to confirm the close before giving up.
    int terminationFallbackMs = 10000;
    // The diagram helper and where drawn diagrams are kept (no folder: in memory only).
    MermaidRenderer::Options diagrams;
    // Keeps the window on the visible AeroSpace workspace. Null: the shared one.
    AeroSpaceWorkspaceFollower *workspaceFollower = nullptr;
};
