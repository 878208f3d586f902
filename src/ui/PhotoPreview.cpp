#include "ui/PhotoPreview.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

PhotoCropView::PhotoCropView(const QImage &image, QWidget *parent) : QWidget(parent), m_image(image)
{
    setMinimumHeight(200);
    setAccessibleName(QStringLiteral("Photo crop area"));
    setToolTip(QStringLiteral("Drag across the photo to select an area. Reset restores the full photo."));
}

QRectF PhotoCropView::imageRect() const
{
    // The image's size in points: a 2x photo is drawn at half its pixel size.
    return PhotoCrop::imageRect(m_image.deviceIndependentSize(), size());
}

void PhotoCropView::resetCrop()
{
    m_crop.reset();
    update();
}

void PhotoCropView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Base));
    const QRectF target = imageRect();
    if (target.isEmpty())
        return;
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, m_image);
    if (!m_crop.selection())
        return;
    const QRectF selected = PhotoCrop::viewRect(*m_crop.selection(), target);
    QPainterPath outside;
    outside.setFillRule(Qt::OddEvenFill);
    outside.addRect(target);
    outside.addRect(selected);
    painter.fillPath(outside, QColor(0, 0, 0, 128));
    painter.setPen(QPen(Qt::white, 2));
    painter.drawRect(selected);
}

void PhotoCropView::mousePressEvent(QMouseEvent *event)
{
    m_crop.press(event->position(), imageRect());
}

void PhotoCropView::mouseMoveEvent(QMouseEvent *event)
{
    m_crop.drag(event->position(), imageRect());
    update();
}

void PhotoCropView::mouseReleaseEvent(QMouseEvent *)
{
    m_crop.release(imageRect());
    update();
}

PhotoPreview::PhotoPreview(const QImage &image, std::function<void(const std::optional<QImage> &)> completion,
                           QWidget *window)
    : QDialog(window), m_completion(std::move(completion))
{
    setWindowTitle(QStringLiteral("Photo Preview"));
    setWindowModality(window ? Qt::WindowModal : Qt::ApplicationModal);
    setAttribute(Qt::WA_DeleteOnClose);
    resize(560, 460);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->setSpacing(12);
    auto *hint = new QLabel(QStringLiteral("Drag across the photo to crop. Reset restores the full photo."), this);
    hint->setWordWrap(true);
    QFont small = hint->font();
    small.setPointSizeF(12 * 0.75);
    hint->setFont(small);
    hint->setForegroundRole(QPalette::PlaceholderText);
    layout->addWidget(hint);
    m_cropView = new PhotoCropView(image, this);
    layout->addWidget(m_cropView, 1);

    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    buttons->addStretch();
    auto *reset = new QPushButton(QStringLiteral("Reset"), this);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), this);
    auto *send = new QPushButton(QStringLiteral("Send Photo"), this);
    reset->setAutoDefault(false);
    cancel->setAutoDefault(false);
    send->setDefault(true);
    buttons->addWidget(reset);
    buttons->addWidget(cancel);
    buttons->addWidget(send);
    layout->addLayout(buttons);
    connect(reset, &QPushButton::clicked, this, &PhotoPreview::resetCrop);
    connect(cancel, &QPushButton::clicked, this, &PhotoPreview::cancel);
    connect(send, &QPushButton::clicked, this, &PhotoPreview::sendPhoto);
}

void PhotoPreview::resetCrop()
{
    m_cropView->resetCrop();
}

void PhotoPreview::cancel()
{
    finish(std::nullopt);
}

void PhotoPreview::sendPhoto()
{
    const QImage image = m_cropView->croppedImage();
    if (image.isNull()) {
        QApplication::beep();
        return;
    }
    finish(image);
}

void PhotoPreview::reject()
{
    // Escape and closing the sheet cancel.
    finish(std::nullopt);
}

void PhotoPreview::finish(const std::optional<QImage> &image)
{
    auto completion = std::exchange(m_completion, {});
    QDialog::done(image ? Accepted : Rejected);
    if (completion)
        completion(image);
}

#include "moc_PhotoPreview.cpp"
