// The settings file as the application finds it on disk (possibly damaged,
// possibly edited by hand), read, then changed and written back.
#include "FuzzSupport.h"
#include "settings/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir root;
    static quint64 round = 0;
    // A fresh folder and file name each time: a damaged file is set aside
    // beside it, and Qt caches settings files by name.
    const QString folder = root.filePath(QString::number(++round));
    QDir().mkpath(folder);
    const QString path = folder + QStringLiteral("/settings.json");
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return 0;
        file.write(reinterpret_cast<const char *>(data), qint64(size));
    }

    const auto doc = fuzzJson(data, size);
    const QJsonObject stored = doc && doc->isObject() ? doc->object() : QJsonObject();
    {
        SettingsStore store(path);
        for (auto it = stored.begin(); it != stored.end(); ++it) {
            store.value(it.key());
            store.plainBool(it.key());
            store.defaultTrueBool(it.key());
            store.string(it.key());
        }
        store.setBool(QStringLiteral("fuzzWritten"), true);
    }

    // Changing one setting keeps every other one the file held, with its type.
    static const QRegularExpression plainKey(QStringLiteral("^[A-Za-z0-9._-]+$"));
    const SettingsStore reopened(path);
    FUZZ_CHECK(reopened.value(QStringLiteral("fuzzWritten")) == QVariant(true));
    for (auto it = stored.begin(); it != stored.end(); ++it) {
        if (!plainKey.match(it.key()).hasMatch() || it.key() == u"fuzzWritten")
            continue;
        if (it.value().isBool())
            FUZZ_CHECK(reopened.value(it.key()) == QVariant(it.value().toBool()));
        else if (it.value().isString())
            FUZZ_CHECK(reopened.string(it.key()) == it.value().toString());
    }
    QDir(folder).removeRecursively();
    return 0;
}
