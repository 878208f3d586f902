#pragma once

#include "telegram/BotMessage.h"

#include <QSizeF>
#include <QString>
#include <QStringList>
#include <optional>

// How an attachment line looks and what its one button does, decided from
// the segment alone.
namespace AttachmentPresentation {

enum class ButtonAction { download, play, pause, save, open };

QString symbol(BotMessageSegment::AttachmentKind kind);
// A local path that is present and not empty.
bool hasLocalFile(const BotMessageSegment &segment);
// isPlaying: this attachment is being played or converted for playing.
ButtonAction buttonAction(const BotMessageSegment &segment, bool isPlaying);
QString buttonTitle(ButtonAction action);
// The line under an attachment of a message: how far its download or sending
// has come, or why the message could not be sent; empty when there is nothing
// to say.
QString transferText(const BotMessage &message, const BotMessageSegment &segment);
// The spoken description of a preview, empty when the kind has none.
QString previewDescription(BotMessageSegment::AttachmentKind kind);
inline const QString previewToolTip = QStringLiteral("Click to enlarge");

// An image preview: at most 600 × 520 points and never wider than the row or
// the picture, keeping the picture's aspect ratio (height ÷ width, at least 0.01).
QSizeF imagePreviewSize(const QSizeF &pictureSize, qreal availableWidth);

// Telegram's Ogg voice notes are converted to WAV before they can play.
bool needsConversion(const QString &path);
QStringList conversionArguments(const QString &inputPath, const QString &outputPath);
// Where ffmpeg is looked for, in order.
QStringList ffmpegCandidates();

// The Telegram link that opens an unsupported message; nothing without a chat.
std::optional<QString> unsupportedMessageURL(const QString &chatID, const QString &messageID);

} // namespace AttachmentPresentation
