// The settings file as the application finds it on disk (possibly damaged,
// possibly edited by hand), read, then changed and written back. The file
// itself goes through QSettings; its contents go through these two calls,
// so they are fuzzed in memory.
#include "FuzzSupport.h"
#include "settings/SettingsJson.h"

#include <QBuffer>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray contents = fuzzBytes(data, size);
    QBuffer file(&contents);
    file.open(QIODevice::ReadOnly);
    QSettings::SettingsMap map;
    FUZZ_CHECK(SettingsJson::read(file, map));
    // A file read as empty is either empty or kept aside before it is overwritten.
    if (map.isEmpty() && !fuzzBytes(data, size).trimmed().isEmpty()) {
        const auto doc = fuzzJson(data, size);
        FUZZ_CHECK(SettingsJson::isDamaged(contents) || (doc && doc->isObject()));
    }

    // Changing one setting keeps every other one the file held, with its type.
    QSettings::SettingsMap changed = map;
    changed.insert(QStringLiteral("fuzzWritten"), true);
    QByteArray written;
    QBuffer out(&written);
    out.open(QIODevice::WriteOnly);
    FUZZ_CHECK(SettingsJson::write(out, changed));
    FUZZ_CHECK(!SettingsJson::isDamaged(written));

    QBuffer again(&written);
    again.open(QIODevice::ReadOnly);
    QSettings::SettingsMap reread;
    FUZZ_CHECK(SettingsJson::read(again, reread));
    FUZZ_CHECK(reread.size() == changed.size());
    for (auto it = changed.cbegin(); it != changed.cend(); ++it) {
        const QVariant back = reread.value(it.key());
        FUZZ_CHECK(back.typeId() == it.value().typeId());
        FUZZ_CHECK(back == it.value());
    }
    return 0;
}
