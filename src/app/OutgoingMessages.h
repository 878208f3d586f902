#pragma once

#include "chat/LastSentMessage.h"
#include "telegram/BotMessage.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <optional>

class Alerts;
class BotFaceView;
class BotSelection;
class QImage;
class QWidget;
class TelegramClient;

// What the user does to the selected conversation: sending text, retrying the
// last message, quick reactions, pasted files and images, deleting a message,
// pressing inline buttons, downloading and saving attachments.
class PhotoPreview;

class OutgoingMessages : public QObject
{
    Q_OBJECT
public:
    struct Dependencies
    {
        std::function<TelegramClient *()> client;
        BotSelection *selection = nullptr;
        BotFaceView *face = nullptr;
        Alerts *alerts = nullptr;
        // Parent of the save panel.
        std::function<QWidget *()> window;
        std::function<QString(QWidget *window, const QString &suggestedName)> chooseSaveLocation;
    };

    explicit OutgoingMessages(Dependencies dependencies, QObject *parent = nullptr);

    const std::optional<LastSentMessage> &lastSentMessage() const { return m_lastSentMessage; }

    // The composer's text, as a reply when the reply bar is open.
    void sendComposerText(const QString &text);
    void retryLastMessage();
    void sendQuickReaction(const QString &reaction, const BotMessage &message);
    void deleteMessage(const BotMessage &message);
    void pressInlineButton(const BotMessage &message, const BotInlineButton &button);
    void downloadAttachment(const BotMessageSegment &segment);
    void saveAttachment(const BotMessageSegment &segment);
    // A file chosen, pasted or dropped: images go through the photo preview, anything else is sent as a document.
    void attachFileURL(const QString &path);
    // Shows the photo preview for the selected conversation; the photo is sent only into that one.
    void previewPhoto(const QImage &image);
    void sendImageFromClipboard(const QImage &image);
    PhotoPreview *photoPreview() const;

    // A new message list: messages Telegram refused since the last one give
    // their text back to the composer, end the wait and show the reason.
    void messagesChanged(const QList<BotMessage> &previous, const QList<BotMessage> &current);
    // Retry is offered only in the conversation the last message went to.
    void refreshRetry();
    // Signed out: nothing to retry.
    void reset();

private:
    void sendText(const QString &text, const std::optional<QString> &replyTo, bool restoreOnFailure);
    void sendFailed(const QString &text, const QString &error, bool restoreDraft);
    void afterSending(const QString &text, const std::optional<QString> &replyTo);
    using SendWithCaption = std::function<void(TelegramClient &, const QString &caption, const QString &chatID,
                                               const std::optional<QString> &replyTo)>;
    void sendWithCaption(const SendWithCaption &send);
    QString outgoingFolder(QString *error) const;

    Dependencies m_deps;
    std::optional<LastSentMessage> m_lastSentMessage;
    QPointer<PhotoPreview> m_photoPreview;
};
