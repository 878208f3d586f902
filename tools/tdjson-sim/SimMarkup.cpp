#include "SimMarkup.h"

#include <QRegularExpression>
#include <algorithm>

namespace {

QJsonObject entity(qsizetype offset, qsizetype length, QJsonObject type)
{
    return QJsonObject{
        {"@type", "textEntity"}, {"offset", qint64(offset)}, {"length", qint64(length)}, {"type", type}};
}

QJsonObject entityType(const char *name)
{
    return QJsonObject{{"@type", QLatin1String(name)}};
}

struct Parsed
{
    QString text;
    QList<QJsonObject> entities;
};

void appendDetected(Parsed &out, const QString &plain)
{
    const qsizetype base = out.text.size();
    out.text += plain;
    for (const QJsonValue &e : SimMarkup::detectEntities(plain)) {
        QJsonObject shifted = e.toObject();
        shifted["offset"] = shifted["offset"].toInteger() + base;
        out.entities.append(shifted);
    }
}

Parsed parseRun(const QString &m);

// Parses the inner markup of a span and appends it, wrapped in one entity.
void appendSpan(Parsed &out, const QString &inner, QJsonObject type)
{
    const Parsed nested = parseRun(inner);
    const qsizetype base = out.text.size();
    out.entities.append(entity(base, nested.text.size(), type));
    for (QJsonObject e : nested.entities) {
        e["offset"] = e["offset"].toInteger() + base;
        out.entities.append(e);
    }
    out.text += nested.text;
}

Parsed parseRun(const QString &m)
{
    Parsed out;
    QString plain;
    auto flush = [&] {
        appendDetected(out, plain);
        plain.clear();
    };
    qsizetype i = 0;
    while (i < m.size()) {
        if (m.mid(i, 3) == QLatin1String("```")) {
            const qsizetype lineEnd = m.indexOf('\n', i + 3);
            const qsizetype close = lineEnd < 0 ? -1 : m.indexOf(QLatin1String("```"), lineEnd + 1);
            if (close > 0) {
                flush();
                const QString language = m.mid(i + 3, lineEnd - i - 3).trimmed();
                QString source = m.mid(lineEnd + 1, close - lineEnd - 1);
                if (source.endsWith('\n'))
                    source.chop(1);
                QJsonObject type = language.isEmpty() ? entityType("textEntityTypePre")
                                                      : QJsonObject{{"@type", "textEntityTypePreCode"},
                                                                    {"language", language}};
                out.entities.append(entity(out.text.size(), source.size(), type));
                out.text += source;
                i = close + 3;
                continue;
            }
        }
        if (m.at(i) == '`') {
            const qsizetype close = m.indexOf('`', i + 1);
            if (close > i + 1) {
                flush();
                const QString code = m.mid(i + 1, close - i - 1);
                out.entities.append(entity(out.text.size(), code.size(), entityType("textEntityTypeCode")));
                out.text += code;
                i = close + 1;
                continue;
            }
        }
        const QString two = m.mid(i, 2);
        if (two == QLatin1String("**") || two == QLatin1String("__")) {
            const qsizetype close = m.indexOf(two, i + 2);
            if (close > i + 2) {
                flush();
                appendSpan(
                    out, m.mid(i + 2, close - i - 2),
                    entityType(two == QLatin1String("**") ? "textEntityTypeBold" : "textEntityTypeItalic"));
                i = close + 2;
                continue;
            }
        }
        if (m.at(i) == '[') {
            const qsizetype mid = m.indexOf(QLatin1String("]("), i + 1);
            const qsizetype close = mid < 0 ? -1 : m.indexOf(')', mid + 2);
            if (mid > i + 1 && close > mid + 2 && !m.mid(i + 1, mid - i - 1).contains('\n')) {
                flush();
                appendSpan(out, m.mid(i + 1, mid - i - 1),
                           QJsonObject{{"@type", "textEntityTypeTextUrl"},
                                       {"url", m.mid(mid + 2, close - mid - 2)}});
                i = close + 1;
                continue;
            }
        }
        plain += m.at(i);
        ++i;
    }
    flush();
    return out;
}

} // namespace

QJsonObject SimMarkup::formattedText(const QString &text, const QJsonArray &entities)
{
    return QJsonObject{{"@type", "formattedText"}, {"text", text}, {"entities", entities}};
}

QJsonObject SimMarkup::parse(const QString &markup)
{
    Parsed parsed = parseRun(markup);
    // TDLib lists entities by offset, an enclosing entity before the ones inside it.
    std::stable_sort(parsed.entities.begin(), parsed.entities.end(),
                     [](const QJsonObject &a, const QJsonObject &b) {
                         const qint64 ao = a["offset"].toInteger(), bo = b["offset"].toInteger();
                         return ao != bo ? ao < bo : a["length"].toInteger() > b["length"].toInteger();
                     });
    QJsonArray entities;
    for (const QJsonObject &e : parsed.entities)
        entities.append(e);
    return formattedText(parsed.text, entities);
}

QJsonArray SimMarkup::detectEntities(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral(
        R"((https?://[^\s<>"]*[^\s<>".,;:!?)\]'])|((?<![\w@])@[A-Za-z][A-Za-z0-9_]{3,31})|)"
        R"(((?<![\w/])/[A-Za-z][A-Za-z0-9_]{0,63}(?:@[A-Za-z][A-Za-z0-9_]{3,31})?(?![/\w])))"));
    QJsonArray out;
    auto it = pattern.globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        const char *type = !match.captured(1).isEmpty()   ? "textEntityTypeUrl"
                           : !match.captured(2).isEmpty() ? "textEntityTypeMention"
                                                          : "textEntityTypeBotCommand";
        out.append(entity(match.capturedStart(), match.capturedLength(), entityType(type)));
    }
    return out;
}
