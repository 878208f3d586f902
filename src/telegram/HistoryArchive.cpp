#include "telegram/HistoryArchive.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace HistoryArchive {

std::optional<QList<QJsonObject>> read(const QByteArray &contents)
{
    const QJsonDocument doc = QJsonDocument::fromJson(contents);
    if (!doc.isArray())
        return std::nullopt;
    const QJsonArray entries = doc.array();
    QList<QJsonObject> messages;
    messages.reserve(entries.size());
    for (const QJsonValue &value : entries) {
        if (!value.isObject())
            return std::nullopt;
        messages.append(value.toObject());
    }
    return messages;
}

} // namespace HistoryArchive
