#include "platform/PrivacyTexts.h"

namespace PrivacyTexts {

QString cameraUnavailable()
{
    return QStringLiteral("Allow Tessaly in System Settings → Privacy & Security → Camera. Check that a camera is "
                          "connected and available, then try again.");
}

} // namespace PrivacyTexts
