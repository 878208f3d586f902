#include "chat/AttachmentPresentation.h"

#include "settings/ChatStyle.h"

#include <QFileInfo>
#include <QUrl>
#include <algorithm>

namespace AttachmentPresentation {

using AttachmentKind = BotMessageSegment::AttachmentKind;

QString symbol(AttachmentKind kind)
{
    switch (kind) {
    case AttachmentKind::Audio:
        return QStringLiteral("waveform");
    case AttachmentKind::Document:
        return QStringLiteral("doc.fill");
    case AttachmentKind::Image:
        return QStringLiteral("photo");
    case AttachmentKind::Pdf:
        return QStringLiteral("doc.richtext");
    }
    return QStringLiteral("doc.fill");
}

QString transferText(const BotMessage &message, const BotMessageSegment &segment)
{
    if (message.sendFailed) {
        return message.sendFailureReason.isEmpty()
                   ? QStringLiteral("Could not send.")
                   : QStringLiteral("Could not send: ") + message.sendFailureReason;
    }
    if (!segment.transfer)
        return {};
    const BotFileTransfer &transfer = *segment.transfer;
    QString text = transfer.direction == BotFileTransfer::Direction::Upload ? QStringLiteral("Sending…")
                                                                            : QStringLiteral("Downloading…");
    // Without a known size there is no share to give.
    if (transfer.expectedSize > 0) {
        const qint64 percent =
            std::clamp<qint64>(transfer.transferredSize * 100 / transfer.expectedSize, 0, 100);
        text += QStringLiteral(" %1 %").arg(percent);
    }
    return text;
}

bool hasLocalFile(const BotMessageSegment &segment)
{
    return segment.localPath.has_value() && !segment.localPath->isEmpty();
}

ButtonAction buttonAction(const BotMessageSegment &segment, bool isPlaying)
{
    if (!hasLocalFile(segment))
        return ButtonAction::download;
    switch (segment.attachmentKind) {
    case AttachmentKind::Audio:
        return isPlaying ? ButtonAction::pause : ButtonAction::play;
    case AttachmentKind::Pdf:
        return ButtonAction::open;
    case AttachmentKind::Document:
    case AttachmentKind::Image:
        return ButtonAction::save;
    }
    return ButtonAction::save;
}

QString buttonTitle(ButtonAction action)
{
    switch (action) {
    case ButtonAction::download:
        return QStringLiteral("Download");
    case ButtonAction::play:
        return QStringLiteral("Play");
    case ButtonAction::pause:
        return QStringLiteral("Pause");
    case ButtonAction::save:
        return QStringLiteral("Save");
    case ButtonAction::open:
        return QStringLiteral("Open");
    }
    return QString();
}

QString previewDescription(AttachmentKind kind)
{
    switch (kind) {
    case AttachmentKind::Image:
        return QStringLiteral("Photo attachment. Click to enlarge");
    case AttachmentKind::Pdf:
        return QStringLiteral("PDF attachment. Click to open");
    case AttachmentKind::Audio:
    case AttachmentKind::Document:
        break;
    }
    return QString();
}

QSizeF imagePreviewSize(const QSizeF &pictureSize, qreal availableWidth)
{
    constexpr qreal maxWidth = ChatStyle::Metrics::imagePreviewMaxWidth;
    constexpr qreal maxHeight = ChatStyle::Metrics::imagePreviewMaxHeight;
    const bool known = pictureSize.width() > 0 && pictureSize.height() > 0;
    const qreal ratio = known ? std::max(pictureSize.height() / pictureSize.width(), 0.01) : 1.0;
    qreal width = std::min(maxWidth, std::max(availableWidth, 0.0));
    if (known)
        width = std::min(width, pictureSize.width());
    qreal height = width * ratio;
    if (height > maxHeight) {
        height = maxHeight;
        width = maxHeight / ratio;
    }
    return QSizeF(width, height);
}

bool needsConversion(const QString &path)
{
    const QString extension = QFileInfo(path).suffix().toLower();
    return extension == QLatin1String("oga") || extension == QLatin1String("ogg");
}

QStringList conversionArguments(const QString &inputPath, const QString &outputPath)
{
    return {QStringLiteral("-y"),
            QStringLiteral("-i"),
            inputPath,
            QStringLiteral("-vn"),
            QStringLiteral("-ac"),
            QStringLiteral("1"),
            QStringLiteral("-ar"),
            QStringLiteral("48000"),
            QStringLiteral("-c:a"),
            QStringLiteral("pcm_s16le"),
            outputPath};
}

QStringList ffmpegCandidates()
{
    return {QStringLiteral("/opt/homebrew/bin/ffmpeg"), QStringLiteral("/usr/local/bin/ffmpeg"),
            QStringLiteral("/usr/bin/ffmpeg")};
}

std::optional<QString> unsupportedMessageURL(const QString &chatID, const QString &messageID)
{
    if (chatID.isEmpty())
        return std::nullopt;
    // Ids are decimal texts; encoding only matters for malformed ones.
    const auto encoded = [](const QString &id) { return QString::fromLatin1(QUrl::toPercentEncoding(id)); };
    return QStringLiteral("tg://openmessage?chat_id=") + encoded(chatID) + QStringLiteral("&message_id=") +
           encoded(messageID);
}

} // namespace AttachmentPresentation
