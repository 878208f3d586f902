#pragma once

#include <QColor>

#include <QList>
#include <QString>
#include <optional>

// A bot message that ends in a list of status lines, each opened by a red or
// purple circle emoji, drawn as coloured dots.
struct StatusList
{
    enum class Color { red, purple };

    struct Item
    {
        Color color = Color::red;
        QString text;
        friend bool operator==(const Item &, const Item &) = default;
    };

    // The lines before the list, joined by line breaks.
    QString heading;
    QList<Item> items;

    // Needs a heading line, then at least two lines that all start with a marker.
    static std::optional<StatusList> statusList(const QString &text);

    // The dot colours (fixed, readable in both appearances).
    static QColor dotColor(Color color);

    friend bool operator==(const StatusList &, const StatusList &) = default;
};
