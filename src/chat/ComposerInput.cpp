#include "chat/ComposerInput.h"

#include <QStringList>
#include <algorithm>
#include <cmath>

namespace ComposerInput {

QString draftText(const QString &inputText)
{
    return inputText.trimmed();
}

bool canSend(const QString &inputText, bool conversationSelected)
{
    return conversationSelected && !draftText(inputText).isEmpty();
}

QString placeholder(const std::optional<QString> &botTitle)
{
    if (!botTitle)
        return QStringLiteral("Message this bot");
    return QStringLiteral("Message ") + *botTitle;
}

bool placeholderVisible(const QString &inputText)
{
    return inputText.isEmpty();
}

QString replyHeading(const BotMessage &target)
{
    return QStringLiteral("Replying to ") +
           (target.isOutgoing ? QStringLiteral("You") : QStringLiteral("Bot"));
}

QString replyPreview(const BotMessage &target)
{
    QStringList lines;
    for (const QString &line : target.text.split(QLatin1Char('\n'))) {
        const QString trimmed = line.trimmed();
        if (!trimmed.isEmpty())
            lines << trimmed;
    }
    return lines.join(QLatin1Char(' '));
}

HeightBounds heightBounds(std::optional<qreal> lineHeight, qreal inset)
{
    const qreal line = lineHeight.value_or(fallbackLineHeight);
    return HeightBounds{2 * line + 2 * inset, 5 * line + 2 * inset};
}

qreal messageInputHeight(qreal usedTextHeight, std::optional<qreal> lineHeight, qreal inset)
{
    const HeightBounds bounds = heightBounds(lineHeight, inset);
    qreal measured = std::ceil(std::max(usedTextHeight, qreal(0)) + 2 * inset);
    // A measurement that is not a number must not leave the input without a height.
    if (std::isnan(measured))
        measured = bounds.minimum;
    return std::clamp(measured, bounds.minimum, std::max(bounds.minimum, bounds.maximum));
}

qreal constraintHeight(qreal inputHeight, bool hoverCollapsed)
{
    return hoverCollapsed ? std::min(inputHeight, collapsedMaxHeight) : inputHeight;
}

} // namespace ComposerInput
