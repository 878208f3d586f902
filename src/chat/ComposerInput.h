#pragma once

#include "settings/ChatStyle.h"
#include "telegram/BotMessage.h"

#include <QString>
#include <optional>

// The composer's text rules: what is sent, the reply bar's texts, the
// placeholder, and the height of the input.
namespace ComposerInput {

// The draft as sent: without surrounding blanks and line breaks.
QString draftText(const QString &inputText);
// Sending needs a non-empty draft and a selected conversation.
bool canSend(const QString &inputText, bool conversationSelected);

QString placeholder(const std::optional<QString> &botTitle);
bool placeholderVisible(const QString &inputText);

// "Replying to You" or "Replying to Bot".
QString replyHeading(const BotMessage &target);
// The target's text on one line: non-empty lines joined by single spaces.
QString replyPreview(const BotMessage &target);

// The font's line height when there is no font.
constexpr qreal fallbackLineHeight = 14;
constexpr qreal textContainerInset = ChatStyle::Metrics::inputVerticalInset;
// The input while the window is collapsed by hover shrink.
constexpr qreal collapsedMaxHeight = ChatStyle::Metrics::collapsedInputMaxHeight;

struct HeightBounds
{
    qreal minimum = 0;
    qreal maximum = 0;
};
// Two to five lines plus the insets above and below.
HeightBounds heightBounds(std::optional<qreal> lineHeight, qreal inset = textContainerInset);
// usedTextHeight: the laid-out text's height (0 when empty). Rounded up, then clamped.
qreal messageInputHeight(qreal usedTextHeight, std::optional<qreal> lineHeight,
                         qreal inset = textContainerInset);
// The height the constraint takes: capped while collapsed.
qreal constraintHeight(qreal inputHeight, bool hoverCollapsed);

} // namespace ComposerInput
