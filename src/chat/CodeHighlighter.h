#pragma once

#include "settings/ChatStyle.h"

#include <QList>
#include <QString>

// Syntax colouring of code blocks: four patterns applied in order over the
// base code colour, later ones overwriting earlier ones where they overlap.
namespace CodeHighlighter {

enum class Role { keyword, number, string, comment };

struct Range
{
    qsizetype start = 0;
    qsizetype length = 0;
    Role role = Role::keyword;

    friend bool operator==(const Range &, const Range &) = default;
};

// Every match of every pattern, in the order they must be applied
// (keywords, numbers, strings, comments). Offsets are UTF-16 indexes.
QList<Range> ranges(const QString &source);

// The role each character ends up with once all ranges are applied; nothing
// for characters in the base colour.
QList<std::optional<Role>> characterRoles(const QString &source);

// The chat style colour of a role (comments use the secondary colour).
const ColorPair &color(Role role);
// The base colour of code text.
const ColorPair &baseColor();

} // namespace CodeHighlighter
