#pragma once

#include "agent/MacTaskOrchestrator.h"
#include "speech/MessageSpeaker.h"
#include "telegram/TelegramClient.h"

#include <QString>
#include <functional>

class Alerts;
class QWidget;
class SecretStore;
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
    // Mac tasks: the clock, watchdog and system-action backend (tests shorten or fake them).
    MacTaskOrchestrator::Options macTasks;
    // The speech engine for reading aloud. Null: the system's engine through Qt.
    MessageSpeaker::EngineFactory speechEngine;
    // How long quitting waits for TDLib to confirm the close before giving up.
    int terminationFallbackMs = 10000;
};
