#include "ui/StatusItem.h"

#include "chat/UnreadCounter.h"
#include "ui/IconTable.h"

#include <QApplication>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QSystemTrayIcon>

StatusItem::StatusItem(QObject *parent) : QObject(parent), m_menu(new QMenu)
{
    m_menu->addAction(QStringLiteral("Show Chat Window"), this, &StatusItem::showMainWindowRequested);
    m_menu->addAction(QStringLiteral("Hide Chat Window"), this, &StatusItem::hideMainWindowRequested);
    refreshStatusItem(0);
}

StatusItem::~StatusItem()
{
    if (m_tray)
        m_tray->setContextMenu(nullptr);
    delete m_menu;
}

void StatusItem::placeInTray()
{
    if (m_tray)
        return;
    // Creating the tray icon asks the desktop over D-Bus whether it has a tray.
    m_tray = new QSystemTrayIcon(this);
    m_tray->setContextMenu(m_menu);
    // A plain click on the icon brings the window back, as the item's button does.
    connect(m_tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
            emit showMainWindowRequested();
    });
    redraw();
    m_tray->setToolTip(toolTip());
    if (QSystemTrayIcon::isSystemTrayAvailable())
        m_tray->show();
}

void StatusItem::refreshStatusItem(int shownCount)
{
    m_shownCount = std::max(shownCount, 0);
    redraw();
    if (m_tray)
        m_tray->setToolTip(toolTip());
}

void StatusItem::redraw()
{
    const QColor label = QApplication::palette().color(QPalette::WindowText);
    m_image = makeStatusImage(m_shownCount, label);
    if (!m_tray)
        return;
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(makeStatusImage(m_shownCount, label, 1.0)));
    icon.addPixmap(QPixmap::fromImage(m_image));
    m_tray->setIcon(icon);
}

QString StatusItem::toolTip() const
{
    return UnreadCounter::statusToolTip(m_shownCount);
}

bool StatusItem::isVisible() const
{
    return m_tray && m_tray->isVisible();
}

int StatusItem::badgeWidth(int count)
{
    const QString text = UnreadCounter::badgeText(count);
    if (text.isEmpty())
        return 0;
    return std::max(int(text.size()) * 6 + 7, 15);
}

QImage StatusItem::makeStatusImage(int count, const QColor &labelColor, qreal devicePixelRatio)
{
    const int badge = badgeWidth(count);
    const int width = badge > 0 ? badge + 19 : 19;
    const qreal ratio = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    QImage image(qCeil(width * ratio), qCeil(20 * ratio), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    image.setDevicePixelRatio(ratio);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QPixmap plane = IconTable::pixmap(QStringLiteral("paperplane.fill"), labelColor, 16, ratio);
    if (!plane.isNull())
        painter.drawPixmap(QRectF(1, 2, 16, 16), plane, QRectF(plane.rect()));
    if (badge > 0) {
        const QRectF pill(15, 3, badge, 14);
        QPainterPath path;
        path.addRoundedRect(pill, 7, 7);
        painter.fillPath(path, QColor::fromRgbF(0.9f, 0.16f, 0.2f));
        QFont font = QApplication::font();
        font.setPixelSize(9);
        font.setBold(true);
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(pill.translated(0, 0.5), Qt::AlignCenter, UnreadCounter::badgeText(count));
    }
    painter.end();
    return image;
}

#include "moc_StatusItem.cpp"
