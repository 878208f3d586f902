#pragma once

#include <QColor>
#include <QImage>
#include <QObject>
#include <QString>

class QAction;
class QMenu;
class QSystemTrayIcon;

// The tray icon that keeps the window reachable after it was closed: a paper
// plane with a red unread badge, a tool tip with the count, and a menu to show
// or hide the chat window. Where the desktop has no tray the icon is never
// shown, but the menu, image and tool tip are kept up to date all the same.
class StatusItem : public QObject
{
    Q_OBJECT
public:
    explicit StatusItem(QObject *parent = nullptr);
    ~StatusItem() override;

    // Puts the icon in the desktop's tray; until then only the menu, image and
    // tool tip exist (the start-up leaves this until the window is on screen).
    void placeInTray();

    // The count the badge shows (0: no badge); the image and tool tip follow.
    void refreshStatusItem(int shownCount);
    // Redraws in the current label colour (after an appearance change).
    void redraw();

    int shownCount() const { return m_shownCount; }
    QString toolTip() const;
    QImage image() const { return m_image; }
    QMenu *menu() const { return m_menu; }
    bool isVisible() const;

    // The tray image at 20 points high: the plane in the label colour and, with
    // a positive count, the badge. Width 19 points without a badge, else the
    // badge width + 19. devicePixelRatio scales the pixels, not the points.
    static QImage makeStatusImage(int count, const QColor &labelColor, qreal devicePixelRatio = 2.0);
    // The badge's width in points for a count, 0 without a badge.
    static int badgeWidth(int count);

signals:
    void showMainWindowRequested();
    void hideMainWindowRequested();

private:
    QSystemTrayIcon *m_tray = nullptr;
    QMenu *m_menu;
    int m_shownCount = 0;
    QImage m_image;
};
