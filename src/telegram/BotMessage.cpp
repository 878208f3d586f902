#include "telegram/BotMessage.h"

#include <QHashFunctions>

BotMessageSegment BotMessageSegment::makeText(const QString &text)
{
    BotMessageSegment s;
    s.kind = Kind::Text;
    s.text = text;
    return s;
}

BotMessageSegment BotMessageSegment::makeLink(const QString &text, const QString &url)
{
    BotMessageSegment s;
    s.kind = Kind::Link;
    s.text = text;
    s.url = url;
    return s;
}

BotMessageSegment BotMessageSegment::makeCode(const QString &language, const QString &source)
{
    BotMessageSegment s;
    s.kind = Kind::Code;
    s.language = language;
    s.source = source;
    return s;
}

BotMessageSegment BotMessageSegment::makeAttachment(AttachmentKind kind, const QString &fileID, const QString &name,
                                                    const std::optional<QString> &localPath)
{
    BotMessageSegment s;
    s.kind = Kind::Attachment;
    s.attachmentKind = kind;
    s.fileID = fileID;
    s.name = name;
    s.localPath = localPath;
    return s;
}

BotMessageSegment BotMessageSegment::makeMedia(const QString &symbol, const QString &label)
{
    BotMessageSegment s;
    s.kind = Kind::Media;
    s.symbol = symbol;
    s.label = label;
    return s;
}

BotMessageSegment BotMessageSegment::makeUnsupported() { return {}; }

size_t qHash(const BotConversation &conversation, size_t hashSeed) noexcept
{
    return qHashMulti(hashSeed, conversation.id, conversation.title, conversation.unreadCount);
}
