#pragma once

#include <QString>

namespace SafeFileCopy {

// Copies source to target through a temporary file beside the target, which
// replaces the target only once the copy is complete. On failure (false, error
// set) an existing target is left exactly as it was.
bool replace(const QString &source, const QString &target, QString *error);

} // namespace SafeFileCopy
