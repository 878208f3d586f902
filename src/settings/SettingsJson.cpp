#include "settings/SettingsJson.h"

#include <QIODevice>
#include <QJsonDocument>
#include <QJsonObject>

namespace SettingsJson {

bool read(QIODevice &device, QSettings::SettingsMap &map)
{
    const QByteArray data = device.readAll();
    if (data.trimmed().isEmpty())
        return true;
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(data, &error);
    // A damaged file reads as an empty store rather than failing every read.
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return true;
    const QJsonObject object = doc.object();
    for (auto it = object.begin(); it != object.end(); ++it) {
        const QJsonValue v = it.value();
        if (v.isBool())
            map.insert(it.key(), v.toBool());
        else if (v.isString())
            map.insert(it.key(), v.toString());
        else if (v.isDouble())
            map.insert(it.key(), v.toDouble());
    }
    return true;
}

bool write(QIODevice &device, const QSettings::SettingsMap &map)
{
    QJsonObject object;
    for (auto it = map.begin(); it != map.end(); ++it) {
        const QVariant &v = it.value();
        if (v.typeId() == QMetaType::Bool)
            object.insert(it.key(), v.toBool());
        else if (v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Int ||
                 v.typeId() == QMetaType::LongLong)
            object.insert(it.key(), v.toDouble());
        else
            object.insert(it.key(), v.toString());
    }
    // A full disk may take only part of it without an error: the settings
    // file is replaced only by a whole one.
    const QByteArray bytes = QJsonDocument(object).toJson(QJsonDocument::Indented);
    return device.write(bytes) == bytes.size();
}

bool isDamaged(const QByteArray &contents)
{
    if (contents.trimmed().isEmpty())
        return false;
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(contents, &error);
    return error.error != QJsonParseError::NoError || !doc.isObject();
}

} // namespace SettingsJson
