#pragma once

#include <QByteArray>
#include <QList>
#include <QSizeF>
#include <QString>
#include <optional>

// The conversation between the application and its diagram helper: one JSON
// object per line in each direction. The diagram source is a JSON string,
// never part of any markup.
namespace MermaidProtocol {

struct Request
{
    quint64 id = 0;
    QString source;
    bool light = true;
    qreal devicePixelRatio = 1;
    // The largest box, in points, the picture is shown in; a raster is drawn no larger.
    qreal maxWidth = 0;
    qreal maxHeight = 0;
};

struct Reply
{
    quint64 id = 0;
    // The diagram as Mermaid drew it.
    QByteArray svg;
    // A PNG, when the SVG uses what Qt SVG cannot draw.
    QByteArray png;
    // The diagram's own size in points.
    QSizeF size;
    // Why there is no diagram; empty on success.
    QString error;
};

QByteArray encodeRequest(const Request &request);
std::optional<Request> decodeRequest(const QByteArray &line);
QByteArray encodeReply(const Reply &reply);
std::optional<Reply> decodeReply(const QByteArray &line);

// Removes the complete lines from the front of buffer and returns them
// without their line feeds; an unfinished last line stays in the buffer.
QList<QByteArray> takeLines(QByteArray &buffer);

} // namespace MermaidProtocol
