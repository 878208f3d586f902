#pragma once

#include <QString>
#include <functional>

// Whether the application may record from the microphone.
namespace MicrophoneAccess {

enum class Status { Authorized, NotDetermined, Denied };

Status status();
// Asks the user; done runs on the main thread.
void request(std::function<void(bool granted)> done);
// The system settings page for microphone access; empty where there is none to offer.
QString settingsURL();

} // namespace MicrophoneAccess
