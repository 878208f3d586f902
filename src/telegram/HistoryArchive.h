#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <optional>

// The per-chat history archive: the chat's stored TDLib "message" objects as
// one JSON array, written whole by the client after every change.
namespace HistoryArchive {

// The messages of an archive file's contents, in file order; nothing when the
// contents are not a JSON array of objects (a damaged file is ignored whole).
std::optional<QList<QJsonObject>> read(const QByteArray &contents);

} // namespace HistoryArchive
