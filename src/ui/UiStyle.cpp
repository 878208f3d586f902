#include "ui/UiStyle.h"

#include <QApplication>
#include <QFontDatabase>
#include <QStyle>
#include <QStyleFactory>
#include <QWidget>

QColor UiTheme::text() const
{
    return resolve(ChatStyle::text());
}
QColor UiTheme::secondary() const
{
    return resolve(ChatStyle::secondary());
}
QColor UiTheme::border() const
{
    return resolve(ChatStyle::border());
}
QColor UiTheme::buttonSurface() const
{
    return resolve(ChatStyle::buttonSurface());
}

QColor UiTheme::bubble(bool outgoing) const
{
    const QColor base = light ? UiStyle::blend(transcript(), buttonSurface(), 0.35) : composer();
    return outgoing ? UiStyle::blend(base, account(), light ? 0.10 : 0.08) : base;
}

QPalette UiTheme::palette() const
{
    QPalette palette;
    const QColor surface = composer();
    palette.setColor(QPalette::Window, window());
    palette.setColor(QPalette::WindowText, text());
    palette.setColor(QPalette::Base, surface);
    palette.setColor(QPalette::AlternateBase, transcript());
    palette.setColor(QPalette::Text, text());
    palette.setColor(QPalette::Button, buttonSurface());
    palette.setColor(QPalette::ButtonText, text());
    palette.setColor(QPalette::BrightText, accent());
    palette.setColor(QPalette::PlaceholderText, secondary());
    palette.setColor(QPalette::Highlight, accent());
    palette.setColor(QPalette::HighlightedText, light ? Qt::white : QColor(Qt::black));
    palette.setColor(QPalette::Link, accent());
    palette.setColor(QPalette::LinkVisited, accent());
    palette.setColor(QPalette::ToolTipBase, surface);
    palette.setColor(QPalette::ToolTipText, text());
    palette.setColor(QPalette::Mid, border());
    palette.setColor(QPalette::Midlight, border());
    palette.setColor(QPalette::Dark, border());
    palette.setColor(QPalette::Light, buttonSurface());
    palette.setColor(QPalette::Shadow, border());
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, secondary());
    return palette;
}

namespace UiStyle {

QFont font(qreal points, QFont::Weight weight)
{
    QFont font = QApplication::font();
    // Design points are window pixels; Qt's points are 1/72 inch at 96 per inch.
    font.setPointSizeF(qMax(1.0, points * 0.75));
    font.setWeight(weight);
    return font;
}

QFont monospaceFont(qreal points)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSizeF(qMax(1.0, points * 0.75));
    return font;
}

void applyApplicationTheme(const UiTheme &theme)
{
    ChatStyle::setLightAppearance(theme.light);
    // One style everywhere, so both appearances look alike on every desktop.
    if (QApplication::style()->name().compare(QLatin1String("fusion"), Qt::CaseInsensitive) != 0)
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setPalette(theme.palette());
}

void setBackground(QWidget *widget, const QColor &color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, color);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

QColor blend(const QColor &from, const QColor &to, qreal amount)
{
    const qreal keep = 1 - amount;
    return QColor::fromRgbF(
        float(from.redF() * keep + to.redF() * amount), float(from.greenF() * keep + to.greenF() * amount),
        float(from.blueF() * keep + to.blueF() * amount), float(from.alphaF() * keep + to.alphaF() * amount));
}

} // namespace UiStyle
