// Qt 6.4 has no permission interface; the system asks on the first recording.
#include "platform/MicrophoneAccess.h"

namespace MicrophoneAccess {

Status status()
{
    return Status::Authorized;
}

void request(std::function<void(bool)> done)
{
    if (done)
        done(true);
}

QString settingsURL()
{
    return QStringLiteral("x-apple.systempreferences:com.apple.preference.security?Privacy_Microphone");
}

} // namespace MicrophoneAccess
