#include "ui/MediaAttachmentPreview.h"

#include "ui/LiteralText.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

MediaAttachmentImageView::MediaAttachmentImageView(QWidget *parent) : QLabel(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
}

void MediaAttachmentImageView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && onActivate) {
        onActivate();
        return;
    }
    QLabel::mousePressEvent(event);
}

void MediaAttachmentImageView::keyPressEvent(QKeyEvent *event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Space) &&
        onActivate) {
        onActivate();
        return;
    }
    QLabel::keyPressEvent(event);
}

MediaAttachmentPreview::MediaAttachmentPreview(const QImage &image, const QString &title, QWidget *parent)
    : QWidget(parent, Qt::Window), m_image(image)
{
    // The attachment's file name, as it is.
    setWindowTitle(LiteralText::windowTitle(title));
    setAttribute(Qt::WA_DeleteOnClose, false);
    setMinimumSize(320, 240);
    resize(760, 600);
    setAccessibleName(QStringLiteral("Enlarged attachment"));
}

void MediaAttachmentPreview::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    if (m_image.isNull())
        return;
    const QRectF area = QRectF(rect()).adjusted(16, 16, -16, -16);
    if (area.width() <= 0 || area.height() <= 0)
        return;
    const QSizeF size = QSizeF(m_image.size()).scaled(area.size(), Qt::KeepAspectRatio);
    const QRectF target(area.center().x() - size.width() / 2, area.center().y() - size.height() / 2,
                        size.width(), size.height());
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, m_image);
}

// The panel moves by its background.
void MediaAttachmentPreview::mousePressEvent(QMouseEvent *event)
{
    m_dragOffset = event->globalPosition().toPoint() - frameGeometry().topLeft();
}

void MediaAttachmentPreview::mouseMoveEvent(QMouseEvent *event)
{
    if (event->buttons() & Qt::LeftButton)
        move(event->globalPosition().toPoint() - m_dragOffset);
}

#include "moc_MediaAttachmentPreview.cpp"
