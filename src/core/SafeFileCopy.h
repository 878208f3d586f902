#pragma once

#include <QString>

namespace SafeFileCopy {

// Copies source to target through a temporary file beside the target, which
// replaces the target only once the copy is complete. On failure (false, error
// set) an existing target is left exactly as it was.
bool replace(const QString &source, const QString &target, QString *error);
// The same for bytes in memory. A full disk may take only part of a write
// without reporting an error (and Qt's save file would then commit the part):
// a short write counts as a failure here. error may be null.
bool replaceWith(const QString &target, const QByteArray &bytes, QString *error);

} // namespace SafeFileCopy
