#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QString>

// Builds TDLib "formattedText" objects. The demo histories are written in a tiny
// markup so that entity offsets (UTF-16 code units, as TDLib counts them) are
// computed rather than hand-counted:
//   **bold**  __italic__  `code`  ```lang\nsource```  [text](url)
// Bare http(s) URLs, @mentions and /commands become the entities TDLib detects.
namespace SimMarkup {

QJsonObject formattedText(const QString &text, const QJsonArray &entities = {});
QJsonObject parse(const QString &markup);
// The entities TDLib itself adds to plain text that a user sends: URLs, mentions
// and bot commands.
QJsonArray detectEntities(const QString &text);

} // namespace SimMarkup
