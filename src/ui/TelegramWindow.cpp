#include "ui/TelegramWindow.h"

#include <QCloseEvent>
#include <QVBoxLayout>

TelegramWindow::TelegramWindow(QWidget *parent) : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint)
{
    setWindowTitle(QStringLiteral("Tessaly"));
    setMinimumSize(300, 360);
    setGeometry(120, 120, 365, 420);
    m_root = new QVBoxLayout(this);
    m_root->setContentsMargins(0, 0, 0, 0);
    m_root->setSpacing(0);
}

void TelegramWindow::setFace(QWidget *face)
{
    if (m_face == face)
        return;
    if (m_face) {
        // Detached but still a child, so the window owns both faces.
        m_root->removeWidget(m_face);
        m_face->hide();
    }
    m_face = face;
    if (face) {
        face->setParent(this);
        m_root->addWidget(face);
        face->show();
    }
}

void TelegramWindow::setSubtitle(const QString &subtitle)
{
    if (m_subtitle == subtitle)
        return;
    m_subtitle = subtitle;
    emit subtitleChanged(subtitle);
}

bool TelegramWindow::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate)
        emit keyChanged(true);
    else if (event->type() == QEvent::WindowDeactivate)
        emit keyChanged(false);
    else if (event->type() == QEvent::Enter)
        emit hoverEntered();
    else if (event->type() == QEvent::Leave)
        emit hoverExited();
    return QWidget::event(event);
}

void TelegramWindow::closeEvent(QCloseEvent *event)
{
    // Closing hides the window; it never ends the application.
    emit closedByUser();
    event->accept();
}

void TelegramWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    emit resized();
}

#include "moc_TelegramWindow.cpp"
