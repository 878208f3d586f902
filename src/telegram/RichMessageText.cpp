#include "telegram/RichMessageText.h"

#include "telegram/JsonFields.h"

#include <QStringList>
#include <initializer_list>

namespace MessageConverter {

namespace {

// Deeper nesting than any real page has; stops hostile input from exhausting the stack.
constexpr int maxDepth = 64;

QString richTextAt(const QJsonValue &value, int depth)
{
    if (value.isString())
        return value.toString();
    if (depth >= maxDepth)
        return {};
    if (value.isArray()) {
        QString joined;
        for (const QJsonValue &part : value.toArray())
            joined += richTextAt(part, depth + 1);
        return joined;
    }
    const QJsonObject object = value.toObject();
    if (object.isEmpty())
        return {};
    if (const QJsonValue alternative = object.value(u"alternative_text"); alternative.isString())
        return alternative.toString();
    if (const QJsonValue expression = object.value(u"expression"); expression.isString())
        return expression.toString();
    if (const QJsonValue texts = object.value(u"texts"); texts.isArray())
        return richTextAt(texts, depth + 1);
    return richTextAt(object.value(u"text"), depth + 1);
}

bool isOneOf(const QString &type, std::initializer_list<const char16_t *> names)
{
    for (const char16_t *name : names)
        if (type == QStringView(name))
            return true;
    return false;
}

class PageBlockWriter
{
public:
    QStringList lines;

    void writeBlocks(const QJsonArray &blocks, int depth)
    {
        if (depth >= maxDepth)
            return;
        for (const QJsonValue &block : blocks)
            writeBlock(block.toObject(), depth);
    }

private:
    void add(const QString &line)
    {
        if (!line.isEmpty())
            lines.append(line);
    }

    void addRichText(const QJsonValue &value, int depth) { add(richTextAt(value, depth + 1)); }

    // Media captions are "pageBlockCaption" objects (text and credit); a table's
    // caption is a rich text of its own.
    void addCaption(const QJsonValue &caption, int depth)
    {
        const QJsonObject object = caption.toObject();
        if (JsonFields::type(object) == u"pageBlockCaption") {
            addRichText(object.value(u"text"), depth);
            addRichText(object.value(u"credit"), depth);
        } else {
            addRichText(caption, depth);
        }
    }

    void writeBlock(const QJsonObject &block, int depth)
    {
        const QString type = JsonFields::type(block);
        if (isOneOf(type, {u"pageBlockTitle", u"pageBlockSubtitle", u"pageBlockHeader", u"pageBlockSubheader",
                           u"pageBlockSectionHeading", u"pageBlockKicker", u"pageBlockParagraph",
                           u"pageBlockPreformatted", u"pageBlockThinking", u"pageBlockFooter",
                           u"pageBlockAuthorDate"})) {
            // Each kind names its text field after itself.
            for (QStringView key :
                 {u"text", u"title", u"subtitle", u"header", u"subheader", u"kicker", u"footer", u"author"}) {
                if (block.contains(key)) {
                    addRichText(block.value(key), depth);
                    break;
                }
            }
        } else if (type == u"pageBlockMathematicalExpression") {
            add(JsonFields::string(block, u"expression"));
        } else if (isOneOf(type, {u"pageBlockBlockQuote", u"pageBlockPullQuote",
                                  u"pageBlockExpandableBlockQuote"})) {
            addRichText(block.value(u"text"), depth);
            writeBlocks(JsonFields::array(block, u"blocks"), depth + 1);
            addRichText(block.value(u"credit"), depth);
        } else if (type == u"pageBlockList") {
            writeList(JsonFields::array(block, u"items"), depth);
        } else if (type == u"pageBlockTable") {
            addCaption(block.value(u"caption"), depth);
            writeTable(JsonFields::array(block, u"cells"), depth);
        } else if (isOneOf(type, {u"pageBlockCollage", u"pageBlockSlideshow", u"pageBlockEmbeddedPost",
                                  u"pageBlockDetails", u"pageBlockCover"})) {
            addRichText(block.value(u"header"), depth);
            if (const QJsonValue cover = block.value(u"cover"); cover.isObject())
                writeBlocks(QJsonArray{cover}, depth + 1);
            writeBlocks(JsonFields::array(block, u"blocks"), depth + 1);
            addCaption(block.value(u"caption"), depth);
        } else if (type == u"pageBlockRelatedArticles") {
            addRichText(block.value(u"header"), depth);
            for (const QJsonValue &article : JsonFields::array(block, u"articles"))
                add(JsonFields::string(article.toObject(), u"title"));
        } else if (type == u"pageBlockChatLink") {
            add(JsonFields::string(block, u"title"));
        } else if (isOneOf(type, {u"pageBlockPhoto", u"pageBlockVideo", u"pageBlockAnimation",
                                  u"pageBlockAudio", u"pageBlockVoiceNote", u"pageBlockDocument",
                                  u"pageBlockEmbedded", u"pageBlockMap"})) {
            addCaption(block.value(u"caption"), depth);
        }
    }

    void writeList(const QJsonArray &items, int depth)
    {
        for (const QJsonValue &value : items) {
            const QJsonObject item = value.toObject();
            QString marker;
            if (item.value(u"has_checkbox").toBool())
                marker = item.value(u"is_checked").toBool() ? QStringLiteral("☑") : QStringLiteral("☐");
            else
                marker = JsonFields::string(item, u"label");
            PageBlockWriter nested;
            nested.writeBlocks(JsonFields::array(item, u"blocks"), depth + 1);
            const QString body = nested.lines.join(u'\n');
            // No leading blank for items without a marker.
            if (marker.isEmpty())
                add(body);
            else if (body.isEmpty())
                add(marker);
            else
                add(marker + u' ' + body);
        }
    }

    void writeTable(const QJsonArray &rows, int depth)
    {
        for (const QJsonValue &row : rows) {
            QStringList cells;
            for (const QJsonValue &cell : row.toArray())
                cells.append(richTextAt(cell.toObject().value(u"text"), depth + 1));
            add(cells.join(QStringLiteral("  ·  ")));
        }
    }
};

} // namespace

QString richText(const QJsonValue &value)
{
    return richTextAt(value, 0);
}

QString pageBlockText(const QJsonArray &blocks)
{
    PageBlockWriter writer;
    writer.writeBlocks(blocks, 0);
    return writer.lines.join(u'\n');
}

QString richMessageText(const QJsonObject &content)
{
    return pageBlockText(JsonFields::array(JsonFields::object(content, u"message"), u"blocks"));
}

QString checklistText(const QJsonObject &list)
{
    QStringList lines;
    const QString title = JsonFields::string(JsonFields::object(list, u"title"), u"text");
    if (!title.isEmpty())
        lines.append(title);
    for (const QJsonValue &value : JsonFields::array(list, u"tasks")) {
        const QJsonObject task = value.toObject();
        const bool done = task.value(u"completion_date").toDouble() >= 1;
        lines.append((done ? QStringLiteral("☑ ") : QStringLiteral("☐ ")) +
                     JsonFields::string(JsonFields::object(task, u"text"), u"text"));
    }
    return lines.join(u'\n');
}

} // namespace MessageConverter
