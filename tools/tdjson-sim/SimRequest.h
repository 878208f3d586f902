#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QString>

// Reads the fields of one request the way TDLib's JSON layer does: absent or
// null fields take their empty value, integers may also come as decimal
// strings, every other type mismatch is a parse error. The first error is kept
// and reported as TDLib words it.
class SimRequest
{
public:
    explicit SimRequest(QJsonObject object) : m_object(std::move(object)) {}

    QString type() const { return m_object.value("@type").toString(); }
    const QJsonObject &object() const { return m_object; }
    bool has(const char *key) const;

    qint64 int64(const char *key);
    bool boolean(const char *key);
    QString string(const char *key);
    QJsonObject object(const char *key);
    QJsonArray array(const char *key);
    // An array of integers (numbers or decimal strings).
    QList<qint64> int64Array(const char *key);

    bool failed() const { return !m_error.isEmpty(); }
    // "Failed to parse JSON object as TDLib request: ..." as TDLib reports it.
    QString errorMessage() const;

    static QString jsonTypeName(const QJsonValue &value);
    static bool parseInteger(const QJsonValue &value, qint64 &out, QString &error);

private:
    void fail(const QString &message);

    QJsonObject m_object;
    QString m_error;
};
