#pragma once

#include "telegram/BotMessage.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

// Segments written as one readable line each, so a failed comparison shows
// what differs.
inline QString describe(const BotMessageSegment &s)
{
    using Kind = BotMessageSegment::Kind;
    switch (s.kind) {
    case Kind::Text:
        return QStringLiteral("text(%1)").arg(s.text);
    case Kind::Link:
        return QStringLiteral("link(%1 -> %2)").arg(s.text, s.url);
    case Kind::Code:
        return QStringLiteral("code[%1](%2)").arg(s.language, s.source);
    case Kind::Attachment: {
        static const char *kinds[] = {"audio", "document", "image", "pdf"};
        return QStringLiteral("attachment(%1 #%2 %3 %4)")
            .arg(QLatin1String(kinds[int(s.attachmentKind)]), s.fileID, s.name,
                 s.localPath ? *s.localPath : QStringLiteral("-"));
    }
    case Kind::Media:
        return QStringLiteral("media(%1 %2)").arg(s.symbol, s.label);
    case Kind::Unsupported:
        return QStringLiteral("unsupported");
    }
    return {};
}

inline QStringList describe(const QList<BotMessageSegment> &segments)
{
    QStringList lines;
    for (const BotMessageSegment &s : segments)
        lines.append(describe(s));
    return lines;
}

inline QJsonObject json(const QString &text)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError)
        qFatal("bad test JSON: %s in %s", qPrintable(error.errorString()), qPrintable(text));
    return document.object();
}

// Raw string literals cannot go through QStringLiteral: moc's preprocessor
// misreads them inside macro arguments.
inline QString utf8(const char *text)
{
    return QString::fromUtf8(text);
}
