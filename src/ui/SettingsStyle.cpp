#include "ui/SettingsStyle.h"

#include "ui/IconTable.h"

#include <QLabel>
#include <QPainter>
#include <QStyle>

namespace SettingsStyle {

namespace {

QString css(const QColor &color)
{
    return color.name(QColor::HexArgb);
}

QColor withAlpha(QColor color, qreal alpha)
{
    color.setAlphaF(float(alpha));
    return color;
}

} // namespace

void setTone(QWidget *label, Tone tone)
{
    label->setProperty("tone", int(tone));
    // Dynamic properties reach the style sheet only on a fresh polish.
    label->style()->unpolish(label);
    label->style()->polish(label);
    label->update();
}

Tone tone(const QWidget *label)
{
    return Tone(label->property("tone").toInt());
}

QColor toneColor(Tone tone, const UiTheme &theme)
{
    switch (tone) {
    case Tone::text:
        return theme.text();
    case Tone::secondary:
        return theme.secondary();
    case Tone::success:
        return theme.light ? QColor(0x1f, 0x8a, 0x3b) : QColor(0x32, 0xd7, 0x4b);
    case Tone::failure:
        return theme.light ? QColor(0xd7, 0x26, 0x1e) : QColor(0xff, 0x45, 0x3a);
    }
    return theme.text();
}

void setSymbol(QLabel *label, const QString &symbol, int points, qreal opacity)
{
    label->setProperty("symbol", symbol);
    label->setProperty("symbolPoints", points);
    label->setProperty("symbolOpacity", opacity);
    label->setAlignment(Qt::AlignCenter);
}

void refreshSymbol(QLabel *label, const UiTheme &theme)
{
    const QString symbol = label->property("symbol").toString();
    if (symbol.isEmpty())
        return;
    const int points = label->property("symbolPoints").toInt();
    const QColor tint = withAlpha(theme.accent(), label->property("symbolOpacity").toReal());
    label->setPixmap(IconTable::pixmap(symbol, tint, points));
}

QIcon swatch(const QColor &color)
{
    QPixmap image(24, 24);
    image.setDevicePixelRatio(2);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawEllipse(QRectF(2, 2, 8, 8));
    painter.end();
    return QIcon(image);
}

QString styleSheet(const UiTheme &theme)
{
    const QColor accent = theme.accent();
    const QColor field =
        theme.light ? QColor(Qt::white) : UiStyle::blend(theme.window(), theme.composer(), 0.5);
    const QColor failure = toneColor(Tone::failure, theme);
    QString sheet;
    sheet += QStringLiteral("QLabel { color: %1; background: transparent; }\n").arg(css(theme.text()));
    for (const Tone tone : {Tone::secondary, Tone::success, Tone::failure})
        sheet += QStringLiteral("QLabel[tone=\"%1\"] { color: %2; }\n")
                     .arg(int(tone))
                     .arg(css(toneColor(tone, theme)));
    sheet +=
        QStringLiteral("QPushButton { color: %1; background: %2; border: 1px solid %3; border-radius: 6px;"
                       " padding: 3px 10px; min-height: 16px; }\n"
                       "QPushButton:hover { border-color: %4; }\n"
                       "QPushButton:pressed { background: %5; }\n"
                       "QPushButton:disabled { color: %6; }\n")
            .arg(css(theme.text()), css(theme.buttonSurface()), css(theme.border()),
                 css(withAlpha(accent, 0.6)), css(UiStyle::blend(theme.buttonSurface(), accent, 0.2)),
                 css(theme.secondary()));
    sheet +=
        QStringLiteral("QPushButton[accent=\"true\"] { color: white; background: %1; border-color: %1; }\n"
                       "QPushButton[accent=\"true\"]:pressed { background: %2; }\n"
                       "QPushButton[accent=\"true\"]:disabled { background: %3; color: %4; }\n")
            .arg(css(theme.light ? accent : UiStyle::blend(accent, QColor(Qt::black), 0.25)),
                 css(UiStyle::blend(accent, QColor(Qt::black), 0.35)), css(withAlpha(accent, 0.45)),
                 css(withAlpha(QColor(Qt::white), 0.8)));
    sheet += QStringLiteral("QPushButton[destructive=\"true\"] { color: %1; }\n").arg(css(failure));
    sheet += QStringLiteral("QLineEdit, QComboBox { color: %1; background: %2; border: 1px solid %3;"
                            " border-radius: 6px; padding: 3px 6px; selection-background-color: %4; }\n"
                            "QLineEdit:focus, QComboBox:focus { border-color: %5; }\n"
                            "QComboBox:disabled { color: %6; }\n"
                            "QComboBox::drop-down { border: none; width: 22px; }\n"
                            "QComboBox::down-arrow { image: none; }\n"
                            "QComboBox QAbstractItemView { color: %1; background: %7; border: 1px solid %3;"
                            " selection-background-color: %4; }\n")
                 .arg(css(theme.text()), css(field), css(theme.border()), css(withAlpha(accent, 0.35)),
                      css(withAlpha(accent, 0.75)), css(theme.secondary()), css(theme.composer()));
    return sheet;
}

} // namespace SettingsStyle
