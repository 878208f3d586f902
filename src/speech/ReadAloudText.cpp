#include "speech/ReadAloudText.h"

#include <QRegularExpression>
#include <QStringList>

namespace ReadAloudText {

QString plain(const QString &text)
{
    // Every character of the newline set ends a line, so "\r\n" leaves an empty line between.
    static const QRegularExpression newline(
        QStringLiteral("[\\n\\r\\x{0B}\\x{0C}\\x{85}\\x{2028}\\x{2029}]"));
    static const QRegularExpression link(QStringLiteral("\\[([^\\]]+)\\]\\([^)]+\\)"));
    static const QRegularExpression markers(QStringLiteral("[*_~`#>]"));

    // Code is not read: a fence line toggles, and an unclosed fence hides the rest.
    QStringList kept;
    bool insideFence = false;
    for (const QString &line : text.split(newline)) {
        if (line.trimmed().startsWith(QLatin1String("```"))) {
            insideFence = !insideFence;
            continue;
        }
        if (!insideFence)
            kept << line;
    }
    QString result = kept.join(QLatin1Char('\n'));
    result.replace(link, QStringLiteral("\\1"));
    result.remove(markers);
    return result.trimmed();
}

} // namespace ReadAloudText
