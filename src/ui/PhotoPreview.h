#pragma once

#include "chat/PhotoCrop.h"

#include <QDialog>
#include <QImage>
#include <functional>
#include <optional>

// The crop surface: the photo fitted into the view, darkened outside the
// selection, which the user drags across it.
class PhotoCropView : public QWidget
{
    Q_OBJECT
public:
    explicit PhotoCropView(const QImage &image, QWidget *parent = nullptr);

    QRectF imageRect() const;
    const PhotoCrop &crop() const { return m_crop; }
    void resetCrop();
    // The selected part, or the whole photo; null when the crop cannot be made.
    QImage croppedImage() const { return m_crop.croppedImage(m_image); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QImage m_image;
    PhotoCrop m_crop;
};

// A photo about to be sent, shown as a sheet on the window: crop it, or send
// the full photo, or cancel. The completion runs once, with nothing on cancel.
class PhotoPreview : public QDialog
{
    Q_OBJECT
public:
    PhotoPreview(const QImage &image, std::function<void(const std::optional<QImage> &)> completion,
                 QWidget *window);

    PhotoCropView *cropView() const { return m_cropView; }
    void resetCrop();
    void cancel();
    void sendPhoto();

protected:
    void reject() override;

private:
    void finish(const std::optional<QImage> &image);

    PhotoCropView *m_cropView;
    std::function<void(const std::optional<QImage> &)> m_completion;
};
