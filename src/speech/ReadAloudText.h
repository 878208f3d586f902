#pragma once

#include <QString>

// Message text as it should be spoken: code blocks and Markdown markers left
// out, links reduced to their text.
namespace ReadAloudText {

// The text to speak; empty when nothing is left to read.
QString plain(const QString &text);

} // namespace ReadAloudText
