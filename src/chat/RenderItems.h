#pragma once

#include "telegram/BotMessage.h"

#include <QList>
#include <QString>

// A web link shown as a button of its own.
struct LinkAction
{
    QString title;
    QString url;

    friend bool operator==(const LinkAction &, const LinkAction &) = default;
};

// What a message row draws, in order: a segment as it is, or a line that held
// nothing but web links, turned into a row of link buttons.
struct MessageRenderItem
{
    enum class Kind { segment, linkButtons };

    Kind kind = Kind::segment;
    BotMessageSegment segment;
    QList<LinkAction> links;

    static MessageRenderItem makeSegment(const BotMessageSegment &segment);
    static MessageRenderItem makeLinkButtons(const QList<LinkAction> &links);

    friend bool operator==(const MessageRenderItem &, const MessageRenderItem &) = default;
};

namespace RenderItems {

// Walks the segments line by line; a line made only of web links (and
// separators such as "·" or "|") becomes link buttons, everything else stays.
QList<MessageRenderItem> renderItems(const QList<BotMessageSegment> &segments);

// Whether any line looks like a list entry ("- ", "• ", "* ", "1. ", "2) "),
// which asks for looser line and paragraph spacing.
bool hasListLines(const QString &text);

struct ParagraphSpacing
{
    qreal lineSpacing = 0;
    qreal paragraphSpacing = 0;
};
ParagraphSpacing bodySpacing(const QString &text);

} // namespace RenderItems
