#pragma once

#include <QString>

// Text from Telegram, the agent or a file name is data, never markup: these
// turn it into what a widget shows literally where the widget would otherwise
// interpret it. Labels take Qt::PlainText instead.
namespace LiteralText {

// A button title with "&" doubled: "Q&A" reads "Q&A" and has no Alt shortcut.
QString buttonTitle(const QString &text);
// A tool tip as escaped rich text: a tool tip guesses its format and would
// draw "<b>" as bold.
QString toolTip(const QString &text);
// A window title with its "[*]" kept: Qt takes that as the modified marker.
QString windowTitle(const QString &text);

} // namespace LiteralText
