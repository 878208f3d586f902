#include "app/AttachmentSender.h"

#include "app/OutgoingMessages.h"
#include "chat/BotSelection.h"
#include "core/Alerts.h"
#include "core/Guarded.h"
#include "platform/AppPaths.h"
#include "platform/PrivacyTexts.h"
#include "telegram/TelegramClient.h"
#include "ui/BotFaceView.h"
#include "ui/LiteralText.h"
#include "ui/PhotoPreview.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QMenu>
#include <QMimeDatabase>
#include <QUuid>

namespace {

QString newUUID()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
}

} // namespace

AttachmentSender::AttachmentSender(Dependencies dependencies, QObject *parent)
    : QObject(parent), m_deps(std::move(dependencies))
{
}

QWidget *AttachmentSender::window() const
{
    return m_deps.window ? m_deps.window() : nullptr;
}

QMenu *AttachmentSender::attachMenu() const
{
    return m_attachMenu;
}

void AttachmentSender::attachFile()
{
    if (m_attachMenu)
        m_attachMenu->close();
    auto *menu = new QMenu(window());
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addAction(QStringLiteral("Take Photo"), this, &AttachmentSender::takeWebcamPhoto);
    menu->addSeparator();
    menu->addAction(QStringLiteral("Choose File…"), this, &AttachmentSender::chooseAttachmentFile);
    m_attachMenu = menu;
    menu->popup(m_deps.face->attachMenuPosition());
}

void AttachmentSender::chooseAttachmentFile()
{
    QWidget *parent = window();
    const auto &chat = m_deps.selection->selectedChat();
    if (!parent || !chat)
        return;
    auto *dialog = new QFileDialog(parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setLabelText(QFileDialog::Accept, QStringLiteral("Open"));
    dialog->setWindowTitle(LiteralText::windowTitle(QStringLiteral("Choose a file to send to ") + chat->title +
                                                    QLatin1Char('.')));
    connect(dialog, &QFileDialog::fileSelected, this, &AttachmentSender::attachFileURL);
    dialog->open();
}

void AttachmentSender::takeWebcamPhoto()
{
    if (!window() || m_webcamCapture)
        return;
    auto device = m_deps.camera ? m_deps.camera() : WebcamPhotoCapture::defaultDevice();
    m_webcamCapture = new WebcamPhotoCapture(
        std::move(device),
        guarded(this,
                [this](const std::optional<QImage> &photo) {
                    // The capture lives for one photo.
                    if (m_webcamCapture)
                        m_webcamCapture->deleteLater();
                    if (photo) {
                        previewPhoto(*photo);
                        return;
                    }
                    AlertRequest request;
                    request.message = QStringLiteral("Could not take a photo");
                    request.informativeText = PrivacyTexts::cameraUnavailable();
                    request.buttons = {QStringLiteral("OK")};
                    request.cancelIndex = 0;
                    m_deps.alerts->present(request, {});
                }),
        m_deps.cameraTiming, this);
    m_webcamCapture->start();
}

QString AttachmentSender::outgoingFolder(TelegramClient *client, QString *error)
{
    if (!client) {
        *error = QStringLiteral("Telegram is not connected.");
        return {};
    }
    const QString path = AppPaths::outgoingFolder(client->baseDirectory());
    if (!AppPaths::makePrivateFolder(path)) {
        *error = QStringLiteral("The folder %1 could not be created.").arg(path);
        return {};
    }
    return path;
}

void AttachmentSender::attachFileURL(const QString &path)
{
    if (!m_deps.selection->selectedChat())
        return;
    if (QMimeDatabase().mimeTypeForFile(path).name().startsWith(QLatin1String("image/"))) {
        const QImage image(path);
        if (image.isNull()) {
            m_deps.face->showStatus(QStringLiteral("Could not open this photo."));
            return;
        }
        previewPhoto(image);
        return;
    }
    QString error;
    const QString folder = outgoingFolder(m_deps.client(), &error);
    const QString copyFolder = folder.isEmpty() ? QString() : QDir(folder).filePath(newUUID());
    const QString copy = copyFolder.isEmpty() ? QString() : QDir(copyFolder).filePath(QFileInfo(path).fileName());
    if (folder.isEmpty() || !AppPaths::makePrivateFolder(copyFolder) || !QFile::copy(path, copy)) {
        m_deps.face->showStatus(QStringLiteral("Could not prepare the attachment: ") +
                                (error.isEmpty() ? QStringLiteral("The file could not be copied.") : error));
        return;
    }
    m_deps.outgoing->sendWithCaption([copy](TelegramClient &client, const QString &caption, const QString &chatID,
                           const std::optional<QString> &replyTo) {
        client.sendDocument(copy, caption, chatID, replyTo);
    });
}

PhotoPreview *AttachmentSender::photoPreview() const
{
    return m_photoPreview;
}

void AttachmentSender::previewPhoto(const QImage &image)
{
    QWidget *window = this->window();
    const auto chatID = m_deps.selection->selectedChatID();
    if (!window || !chatID)
        return;
    if (m_photoPreview)
        m_photoPreview->cancel();
    m_photoPreview = new PhotoPreview(image, guarded(this, [this, chatID = *chatID](const std::optional<QImage> &photo) {
        if (!photo)
            return;
        if (m_deps.selection->selectedChatID() != chatID) {
            m_deps.face->showStatus(QStringLiteral("The conversation changed. Open the photo again to send it."));
            return;
        }
        sendImageFromClipboard(*photo);
    }), window);
    m_photoPreview->open();
}

void AttachmentSender::sendImageFromClipboard(const QImage &image)
{
    if (!m_deps.selection->selectedChat())
        return;
    if (image.isNull()) {
        m_deps.face->showStatus(QStringLiteral("Could not read the image from the clipboard."));
        return;
    }
    QString error;
    const QString folder = outgoingFolder(m_deps.client(), &error);
    const QString path = folder.isEmpty() ? QString() : QDir(folder).filePath(newUUID() + "-clipboard.png");
    if (path.isEmpty() || !image.save(path, "PNG")) {
        m_deps.face->showStatus(QStringLiteral("Could not prepare the clipboard image: ") +
                                (error.isEmpty() ? QStringLiteral("The image could not be written.") : error));
        return;
    }
    m_deps.outgoing->sendWithCaption([path, size = image.size()](TelegramClient &client, const QString &caption, const QString &chatID,
                                                const std::optional<QString> &replyTo) {
        client.sendPhoto(path, size.width(), size.height(), caption, chatID, replyTo);
    });
}


#include "moc_AttachmentSender.cpp"
