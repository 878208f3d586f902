#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>
#include <limits>
#include <optional>

// What the rest of the application sees of Telegram messages. Plain values:
// copies are independent and equality compares every field.

struct BotInlineButton
{
    QString text;
    // Base64 text of the callback bytes, exactly as TDLib delivers it.
    QString callbackData;

    friend bool operator==(const BotInlineButton &, const BotInlineButton &) = default;
};

struct BotReply
{
    QString author;
    QString text;
    bool isOutgoing = false;

    friend bool operator==(const BotReply &, const BotReply &) = default;
};

// A file on its way: downloading from Telegram or uploading with an outgoing
// message. expectedSize is 0 when TDLib does not know it yet.
struct BotFileTransfer
{
    enum class Direction { Download, Upload };

    Direction direction = Direction::Download;
    qint64 transferredSize = 0;
    qint64 expectedSize = 0;

    friend bool operator==(const BotFileTransfer &, const BotFileTransfer &) = default;
};

struct BotMessageSegment
{
    enum class Kind { Text, Link, Code, Attachment, Media, Unsupported };
    enum class AttachmentKind { Audio, Document, Image, Pdf };

    Kind kind = Kind::Unsupported;
    // text: the run (Text), the visible text (Link).
    QString text;
    QString url;
    QString language;
    QString source;
    AttachmentKind attachmentKind = AttachmentKind::Document;
    QString fileID;
    QString name;
    std::optional<QString> localPath;
    // Attachments only: set while the file is being downloaded or sent.
    std::optional<BotFileTransfer> transfer;
    // An SF Symbols name; the icon table maps it to a drawable icon.
    QString symbol;
    QString label;

    static BotMessageSegment makeText(const QString &text);
    static BotMessageSegment makeLink(const QString &text, const QString &url);
    static BotMessageSegment makeCode(const QString &language, const QString &source);
    static BotMessageSegment makeAttachment(AttachmentKind kind, const QString &fileID, const QString &name,
                                            const std::optional<QString> &localPath);
    static BotMessageSegment makeMedia(const QString &symbol, const QString &label);
    static BotMessageSegment makeUnsupported();

    // Unused fields stay at their defaults, so comparing all fields compares
    // the case and its associated values.
    friend bool operator==(const BotMessageSegment &, const BotMessageSegment &) = default;
};

struct BotMessage
{
    // Seconds since 1970; local-only rows may use the distant past.
    static constexpr qint64 distantPast = std::numeric_limits<qint64>::min();

    QString id;
    QString text;
    QList<BotMessageSegment> segments;
    bool isOutgoing = false;
    qint64 date = 0;
    QList<QList<BotInlineButton>> buttons;
    std::optional<BotReply> reply;
    bool isEphemeral = false;
    // Telegram refused the message after it was queued ("sending_state" failed);
    // the reason is TDLib's error text, empty when it gave none.
    bool sendFailed = false;
    QString sendFailureReason;

    friend bool operator==(const BotMessage &, const BotMessage &) = default;
};

struct BotConversation
{
    QString id;
    QString title;
    int unreadCount = 0;

    friend bool operator==(const BotConversation &, const BotConversation &) = default;
};

size_t qHash(const BotConversation &conversation, size_t hashSeed = 0) noexcept;
