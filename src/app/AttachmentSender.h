#pragma once

#include "ui/WebcamPhotoCapture.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

class Alerts;
class BotFaceView;
class BotSelection;
class OutgoingMessages;
class PhotoPreview;
class QImage;
class QMenu;
class QWidget;
class TelegramClient;

// Files and photos on their way out: the attach menu, the file chooser, the
// photo preview, and copies in the private outgoing folder that stay there
// until TDLib has uploaded them.
class AttachmentSender : public QObject
{
    Q_OBJECT
public:
    struct Dependencies
    {
        std::function<TelegramClient *()> client;
        BotSelection *selection = nullptr;
        BotFaceView *face = nullptr;
        OutgoingMessages *outgoing = nullptr;
        Alerts *alerts = nullptr;
        std::function<QWidget *()> window;
        // The camera for "Take Photo"; null: the system's default camera.
        std::function<std::unique_ptr<WebcamPhotoCapture::Device>()> camera;
        WebcamPhotoCapture::Timing cameraTiming;
    };

    explicit AttachmentSender(Dependencies dependencies, QObject *parent = nullptr);

    // The attach button's menu: "Take Photo" and "Choose File…".
    void attachFile();
    void chooseAttachmentFile();
    // A file chosen, pasted or dropped: images go through the photo preview, anything else is sent as a document.
    void attachFileURL(const QString &path);
    // Shows the photo preview for the selected conversation; the photo is sent only into that one.
    void previewPhoto(const QImage &image);
    void sendImageFromClipboard(const QImage &image);
    void takeWebcamPhoto();

    PhotoPreview *photoPreview() const;
    // The private folder for outgoing copies (created when missing); empty with error set on failure.
    static QString outgoingFolder(TelegramClient *client, QString *error);
    QMenu *attachMenu() const;

private:
    QWidget *window() const;

    Dependencies m_deps;
    QPointer<PhotoPreview> m_photoPreview;
    QPointer<QMenu> m_attachMenu;
    QPointer<WebcamPhotoCapture> m_webcamCapture;
};
