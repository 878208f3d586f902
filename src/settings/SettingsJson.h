#pragma once

#include <QByteArray>
#include <QSettings>

class QIODevice;

// The settings file's format: one flat JSON object whose Booleans, strings
// and numbers keep their types. QSettings reads and writes the file through
// these; a damaged file reads as an empty store.
namespace SettingsJson {

bool read(QIODevice &device, QSettings::SettingsMap &map);
bool write(QIODevice &device, const QSettings::SettingsMap &map);
// Something is there but it is not a JSON object: worth keeping aside.
bool isDamaged(const QByteArray &contents);

} // namespace SettingsJson
