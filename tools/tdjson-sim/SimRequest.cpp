#include "SimRequest.h"

#include <cmath>

bool SimRequest::has(const char *key) const
{
    const QJsonValue v = m_object.value(QLatin1String(key));
    return !v.isUndefined() && !v.isNull();
}

QString SimRequest::jsonTypeName(const QJsonValue &value)
{
    switch (value.type()) {
    case QJsonValue::Null:
    case QJsonValue::Undefined:
        return QStringLiteral("Null");
    case QJsonValue::Bool:
        return QStringLiteral("Boolean");
    case QJsonValue::Double:
        return QStringLiteral("Number");
    case QJsonValue::String:
        return QStringLiteral("String");
    case QJsonValue::Array:
        return QStringLiteral("Array");
    case QJsonValue::Object:
        return QStringLiteral("Object");
    }
    return QStringLiteral("Null");
}

bool SimRequest::parseInteger(const QJsonValue &value, qint64 &out, QString &error)
{
    if (value.isDouble()) {
        const double d = value.toDouble();
        if (std::isfinite(d) && d == std::floor(d) && std::fabs(d) < 9.2e18) {
            out = value.toInteger(qint64(d));
            return true;
        }
        error = QStringLiteral("Expected an integer, but receive %1").arg(d);
        return false;
    }
    if (value.isString()) {
        bool ok = false;
        const QString text = value.toString();
        out = text.toLongLong(&ok);
        if (ok && !text.isEmpty() && !text.front().isSpace())
            return true;
        error = QStringLiteral("Can't parse as an integer string \"%1\"").arg(text);
        return false;
    }
    error = QStringLiteral("Expected String or Number, but receive %1").arg(jsonTypeName(value));
    return false;
}

qint64 SimRequest::int64(const char *key)
{
    const QJsonValue v = m_object.value(QLatin1String(key));
    if (v.isUndefined() || v.isNull())
        return 0;
    qint64 out = 0;
    QString error;
    if (!parseInteger(v, out, error)) {
        fail(error);
        return 0;
    }
    return out;
}

bool SimRequest::boolean(const char *key)
{
    const QJsonValue v = m_object.value(QLatin1String(key));
    if (v.isUndefined() || v.isNull())
        return false;
    if (!v.isBool()) {
        fail(QStringLiteral("Expected Boolean, but receive %1").arg(jsonTypeName(v)));
        return false;
    }
    return v.toBool();
}

QString SimRequest::string(const char *key)
{
    const QJsonValue v = m_object.value(QLatin1String(key));
    if (v.isUndefined() || v.isNull())
        return {};
    if (!v.isString()) {
        fail(QStringLiteral("Expected String, but receive %1").arg(jsonTypeName(v)));
        return {};
    }
    return v.toString();
}

QJsonObject SimRequest::object(const char *key)
{
    const QJsonValue v = m_object.value(QLatin1String(key));
    if (v.isUndefined() || v.isNull())
        return {};
    if (!v.isObject()) {
        fail(QStringLiteral("Expected Object, but receive %1").arg(jsonTypeName(v)));
        return {};
    }
    return v.toObject();
}

QJsonArray SimRequest::array(const char *key)
{
    const QJsonValue v = m_object.value(QLatin1String(key));
    if (v.isUndefined() || v.isNull())
        return {};
    if (!v.isArray()) {
        fail(QStringLiteral("Expected Array, but receive %1").arg(jsonTypeName(v)));
        return {};
    }
    return v.toArray();
}

QList<qint64> SimRequest::int64Array(const char *key)
{
    QList<qint64> out;
    for (const QJsonValue &entry : array(key)) {
        qint64 value = 0;
        QString error;
        if (!parseInteger(entry, value, error)) {
            fail(error);
            return {};
        }
        out.append(value);
    }
    return out;
}

void SimRequest::fail(const QString &message)
{
    if (m_error.isEmpty())
        m_error = message;
}

QString SimRequest::errorMessage() const
{
    return QStringLiteral("Failed to parse JSON object as TDLib request: ") + m_error;
}
