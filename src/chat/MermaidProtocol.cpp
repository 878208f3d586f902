#include "chat/MermaidProtocol.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace MermaidProtocol {

namespace {

QByteArray line(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

std::optional<QJsonObject> object(const QByteArray &line)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(line, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    return document.object();
}

// Ids travel as JSON numbers, which hold integers exactly up to 2^53.
std::optional<quint64> idOf(const QJsonObject &object)
{
    const QJsonValue value = object.value(QLatin1String("id"));
    if (!value.isDouble() || value.toDouble() < 0 || value.toDouble() > 9007199254740992.0)
        return std::nullopt;
    return quint64(value.toDouble());
}

} // namespace

QByteArray encodeRequest(const Request &request)
{
    return line({{QStringLiteral("id"), double(request.id)},
                 {QStringLiteral("source"), request.source},
                 {QStringLiteral("theme"), request.light ? QStringLiteral("light") : QStringLiteral("dark")},
                 {QStringLiteral("devicePixelRatio"), request.devicePixelRatio},
                 {QStringLiteral("maxWidth"), request.maxWidth},
                 {QStringLiteral("maxHeight"), request.maxHeight}});
}

std::optional<Request> decodeRequest(const QByteArray &text)
{
    const auto json = object(text);
    if (!json)
        return std::nullopt;
    const auto id = idOf(*json);
    if (!id || !json->value(QLatin1String("source")).isString())
        return std::nullopt;
    Request request;
    request.id = *id;
    request.source = json->value(QLatin1String("source")).toString();
    request.light = json->value(QLatin1String("theme")).toString() != QLatin1String("dark");
    // Out-of-range figures fall back to sane ones rather than to huge canvases.
    request.devicePixelRatio = qBound(0.5, json->value(QLatin1String("devicePixelRatio")).toDouble(1), 4.0);
    request.maxWidth = qBound(16.0, json->value(QLatin1String("maxWidth")).toDouble(1200), 4096.0);
    request.maxHeight = qBound(16.0, json->value(QLatin1String("maxHeight")).toDouble(220), 4096.0);
    return request;
}

QByteArray encodeReply(const Reply &reply)
{
    QJsonObject json{{QStringLiteral("id"), double(reply.id)}};
    if (!reply.error.isEmpty()) {
        json.insert(QStringLiteral("error"), reply.error);
        return line(json);
    }
    json.insert(QStringLiteral("svg"), QString::fromUtf8(reply.svg));
    if (!reply.png.isEmpty())
        json.insert(QStringLiteral("png"), QString::fromLatin1(reply.png.toBase64()));
    json.insert(QStringLiteral("width"), reply.size.width());
    json.insert(QStringLiteral("height"), reply.size.height());
    return line(json);
}

std::optional<Reply> decodeReply(const QByteArray &text)
{
    const auto json = object(text);
    if (!json)
        return std::nullopt;
    const auto id = idOf(*json);
    if (!id)
        return std::nullopt;
    Reply reply;
    reply.id = *id;
    if (json->contains(QLatin1String("error"))) {
        reply.error = json->value(QLatin1String("error")).toString();
        if (reply.error.isEmpty())
            reply.error = QStringLiteral("Unknown error.");
        return reply;
    }
    reply.svg = json->value(QLatin1String("svg")).toString().toUtf8();
    reply.png = QByteArray::fromBase64(json->value(QLatin1String("png")).toString().toLatin1());
    reply.size = QSizeF(json->value(QLatin1String("width")).toDouble(), json->value(QLatin1String("height")).toDouble());
    if (reply.svg.isEmpty() || !reply.size.isValid() || reply.size.isEmpty())
        return std::nullopt;
    return reply;
}

QList<QByteArray> takeLines(QByteArray &buffer)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    for (qsizetype end = buffer.indexOf('\n'); end >= 0; end = buffer.indexOf('\n', start)) {
        lines << buffer.mid(start, end - start);
        start = end + 1;
    }
    buffer.remove(0, start);
    return lines;
}

} // namespace MermaidProtocol
