// Linux has no per-application camera permission to point at.
#include "platform/PrivacyTexts.h"

namespace PrivacyTexts {

QString cameraUnavailable()
{
    return QStringLiteral("Check that a camera is connected and available, then try again.");
}

} // namespace PrivacyTexts
