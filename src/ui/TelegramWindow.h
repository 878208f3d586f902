#pragma once

#include <QWidget>

class QVBoxLayout;

// The one chat window: a small, always-on-top window whose root view holds
// exactly one face (sign-in or bot) pinned to all four edges.
class TelegramWindow : public QWidget
{
    Q_OBJECT
public:
    explicit TelegramWindow(QWidget *parent = nullptr);

    // Hides the current face (it stays the window's child) and attaches this one.
    void setFace(QWidget *face);
    QWidget *face() const { return m_face; }
    void setSubtitle(const QString &subtitle);
    QString subtitle() const { return m_subtitle; }
    bool isKey() const { return isActiveWindow(); }

signals:
    void keyChanged(bool isKey);
    void subtitleChanged(const QString &subtitle);
    void closedByUser();
    void resized();
    // The pointer entered or left the window's content.
    void hoverEntered();
    void hoverExited();

protected:
    bool event(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QVBoxLayout *m_root;
    QWidget *m_face = nullptr;
    QString m_subtitle;
};
