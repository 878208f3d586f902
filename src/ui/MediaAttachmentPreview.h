#pragma once

#include <QImage>
#include <QLabel>
#include <QWidget>
#include <functional>

// The clickable picture of an image attachment in a message row: a click,
// Return or space enlarges it.
class MediaAttachmentImageView : public QLabel
{
    Q_OBJECT
public:
    explicit MediaAttachmentImageView(QWidget *parent = nullptr);
    std::function<void()> onActivate;

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
};

// An image attachment enlarged in a window of its own, kept when closed.
class MediaAttachmentPreview : public QWidget
{
    Q_OBJECT
public:
    MediaAttachmentPreview(const QImage &image, const QString &title, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    QImage m_image;
    QPoint m_dragOffset;
};
