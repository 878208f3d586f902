#pragma once

#include "ui/UiStyle.h"

#include <QIcon>
#include <QString>

class QLabel;
class QWidget;

// The settings window's colours that a style sheet carries: text tones,
// accent and destructive buttons, fields and pop-ups, and tinted symbols.
namespace SettingsStyle {

enum class Tone { text, secondary, success, failure };

// Marks a label's colour; the window's style sheet draws it.
void setTone(QWidget *label, Tone tone);
Tone tone(const QWidget *label);
QColor toneColor(Tone tone, const UiTheme &theme);

// A label that shows a symbol in the accent colour (opacity 0…1), redrawn by refreshSymbol.
void setSymbol(QLabel *label, const QString &symbol, int points, qreal opacity);
void refreshSymbol(QLabel *label, const UiTheme &theme);

// The theme pop-up's 12 × 12 swatch: a filled oval inset by 2.
QIcon swatch(const QColor &color);

QString styleSheet(const UiTheme &theme);

} // namespace SettingsStyle
