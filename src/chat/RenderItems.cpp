#include "chat/RenderItems.h"

#include <QRegularExpression>

MessageRenderItem MessageRenderItem::makeSegment(const BotMessageSegment &segment)
{
    MessageRenderItem item;
    item.kind = Kind::segment;
    item.segment = segment;
    return item;
}

MessageRenderItem MessageRenderItem::makeLinkButtons(const QList<LinkAction> &links)
{
    MessageRenderItem item;
    item.kind = Kind::linkButtons;
    item.links = links;
    return item;
}

namespace {

using Kind = BotMessageSegment::Kind;

bool isWebAddress(const QString &url)
{
    return url.startsWith(QLatin1String("http://"), Qt::CaseInsensitive) ||
           url.startsWith(QLatin1String("https://"), Qt::CaseInsensitive);
}

// What is left of a line's plain text once blanks and link separators go.
bool onlySeparators(const QString &text)
{
    for (const QChar c : text) {
        if (!c.isSpace() && c != u'\u00B7' && c != u'|')
            return false;
    }
    return true;
}

// The links of a line that holds nothing else, or nothing.
std::optional<QList<LinkAction>> linkOnlyLine(const QList<BotMessageSegment> &line)
{
    QList<LinkAction> links;
    QString otherText;
    bool allWeb = true;
    for (const BotMessageSegment &segment : line) {
        if (segment.kind == Kind::Link) {
            const QString title = segment.text.trimmed();
            if (title.isEmpty() || !isWebAddress(segment.url))
                allWeb = false;
            else
                links << LinkAction{title, segment.url};
        } else {
            otherText += segment.text;
        }
    }
    if (links.isEmpty() || !allWeb || !onlySeparators(otherText))
        return std::nullopt;
    return links;
}

class Walker
{
public:
    QList<MessageRenderItem> items;

    void addText(const QString &text)
    {
        qsizetype from = 0;
        while (from < text.size()) {
            const qsizetype newline = text.indexOf(QLatin1Char('\n'), from);
            if (newline < 0) {
                m_line << BotMessageSegment::makeText(text.mid(from));
                return;
            }
            // The line break stays with the text that it ends.
            m_line << BotMessageSegment::makeText(text.mid(from, newline + 1 - from));
            endLine();
            from = newline + 1;
        }
    }

    void addLink(const BotMessageSegment &segment) { m_line << segment; }

    void addBlock(const BotMessageSegment &segment)
    {
        endLine();
        items << MessageRenderItem::makeSegment(segment);
    }

    void endLine()
    {
        if (m_line.isEmpty())
            return;
        if (const auto links = linkOnlyLine(m_line)) {
            dropTrailingLineBreak();
            items << MessageRenderItem::makeLinkButtons(*links);
        } else {
            for (const BotMessageSegment &segment : std::as_const(m_line))
                items << MessageRenderItem::makeSegment(segment);
        }
        m_line.clear();
    }

private:
    QList<BotMessageSegment> m_line;

    // Link buttons stand on their own row; the break before them would leave a blank line.
    void dropTrailingLineBreak()
    {
        if (items.isEmpty())
            return;
        MessageRenderItem &last = items.last();
        if (last.kind != MessageRenderItem::Kind::segment || last.segment.kind != Kind::Text ||
            !last.segment.text.endsWith(QLatin1Char('\n')))
            return;
        last.segment.text.chop(1);
        if (last.segment.text.isEmpty())
            items.removeLast();
    }
};

} // namespace

namespace RenderItems {

QList<MessageRenderItem> renderItems(const QList<BotMessageSegment> &segments)
{
    Walker walker;
    for (const BotMessageSegment &segment : segments) {
        switch (segment.kind) {
        case Kind::Text:
            walker.addText(segment.text);
            break;
        case Kind::Link:
            walker.addLink(segment);
            break;
        case Kind::Code:
        case Kind::Attachment:
        case Kind::Media:
        case Kind::Unsupported:
            walker.addBlock(segment);
            break;
        }
    }
    walker.endLine();
    return walker.items;
}

bool hasListLines(const QString &text)
{
    static const QRegularExpression numbered(QStringLiteral("^\\d+[.)] "));
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (const QString &raw : lines) {
        const QString line = raw.trimmed();
        if (line.startsWith(QLatin1String("- ")) || line.startsWith(QStringLiteral(u"\u2022 ")) ||
            line.startsWith(QLatin1String("* ")) || numbered.match(line).hasMatch())
            return true;
    }
    return false;
}

ParagraphSpacing bodySpacing(const QString &text)
{
    if (hasListLines(text))
        return ParagraphSpacing{2, 6};
    return ParagraphSpacing{};
}

} // namespace RenderItems
