#include "ui/LiteralText.h"

#include <QTextDocument>

namespace LiteralText {

QString buttonTitle(const QString &text)
{
    QString title = text;
    title.replace(QLatin1Char('&'), QLatin1String("&&"));
    return title;
}

QString toolTip(const QString &text)
{
    if (text.isEmpty())
        return text;
    return Qt::convertFromPlainText(text, Qt::WhiteSpaceNormal);
}

QString windowTitle(const QString &text)
{
    QString title = text;
    title.replace(QLatin1String("[*]"), QLatin1String("[*][*]"));
    return title;
}

} // namespace LiteralText
