#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QStringView>
#include <cmath>
#include <optional>

// Tolerant readers for TDLib objects: a missing or wrongly typed field reads as
// its empty value, never as an error.
namespace JsonFields {

// The key that names every TDLib object's type.
inline const QString kType = QStringLiteral("@type");

inline QString string(const QJsonObject &object, QStringView key)
{
    return object.value(key).toString();
}

inline QJsonObject object(const QJsonObject &object, QStringView key)
{
    return object.value(key).toObject();
}

inline QJsonArray array(const QJsonObject &object, QStringView key)
{
    return object.value(key).toArray();
}

inline QString type(const QJsonObject &object)
{
    return object.value(u"@type").toString();
}

// A whole JSON number within ±2^53, or a decimal text (TDLib writes 64-bit
// values as strings); anything else is absent.
inline std::optional<qint64> integer(const QJsonValue &value)
{
    if (value.isDouble()) {
        const double d = value.toDouble();
        if (std::isfinite(d) && d == std::floor(d) && std::fabs(d) <= 9007199254740992.0)
            return static_cast<qint64>(d);
        return std::nullopt;
    }
    if (value.isString()) {
        bool ok = false;
        const qint64 parsed = value.toString().toLongLong(&ok);
        if (ok)
            return parsed;
    }
    return std::nullopt;
}

inline qint64 integer(const QJsonObject &object, QStringView key, qint64 fallback = 0)
{
    return integer(object.value(key)).value_or(fallback);
}

} // namespace JsonFields
