#pragma once

#include <QString>

// Advice that names the platform's own privacy settings.
namespace PrivacyTexts {

// Shown when no photo could be taken.
QString cameraUnavailable();

} // namespace PrivacyTexts
