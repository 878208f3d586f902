#include "chat/StatusList.h"

#include <QStringList>

namespace {

const QString redMarker = QStringLiteral(u"\U0001F534 ");
const QString purpleMarker = QStringLiteral(u"\U0001F7E3 ");

std::optional<StatusList::Item> itemOf(const QString &line)
{
    if (line.startsWith(redMarker))
        return StatusList::Item{StatusList::Color::red, line.mid(redMarker.size())};
    if (line.startsWith(purpleMarker))
        return StatusList::Item{StatusList::Color::purple, line.mid(purpleMarker.size())};
    return std::nullopt;
}

} // namespace

std::optional<StatusList> StatusList::statusList(const QString &text)
{
    const QStringList lines = text.trimmed().split(QLatin1Char('\n'));
    qsizetype start = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (itemOf(lines[i])) {
            start = i;
            break;
        }
    }
    if (start <= 0)
        return std::nullopt;

    StatusList list;
    list.heading = lines.mid(0, start).join(QLatin1Char('\n'));
    for (qsizetype i = start; i < lines.size(); ++i) {
        const std::optional<Item> item = itemOf(lines[i]);
        if (!item)
            return std::nullopt;
        list.items << *item;
    }
    if (list.items.size() < 2)
        return std::nullopt;
    return list;
}

QColor StatusList::dotColor(Color color)
{
    return color == Color::red ? QColor(255, 59, 48) : QColor(175, 82, 222);
}
