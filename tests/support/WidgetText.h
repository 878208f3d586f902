#pragma once

#include <QAbstractButton>
#include <QKeySequence>
#include <QLabel>
#include <QTextDocument>

// What a widget draws, read the way the widget reads its text.
namespace WidgetText {

// A label's text as its format shows it: rich text loses its tags.
inline QString shown(const QLabel *label)
{
    const bool rich = label->textFormat() == Qt::RichText ||
                      (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(label->text()));
    if (!rich)
        return label->text();
    QTextDocument document;
    document.setHtml(label->text());
    return document.toPlainText();
}

// A button's title as drawn: "&&" shows one "&", a single "&" marks a shortcut and is not shown.
inline QString shown(const QAbstractButton *button)
{
    const QString text = button->text();
    QString result;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&') && i + 1 < text.size())
            ++i;
        result += text[i];
    }
    return result;
}

// A tool tip as drawn: rich text when it looks like rich text.
inline QString shownToolTip(const QWidget *widget)
{
    const QString tip = widget->toolTip();
    if (!Qt::mightBeRichText(tip))
        return tip;
    QTextDocument document;
    document.setHtml(tip);
    return document.toPlainText();
}

inline bool hasShortcut(const QAbstractButton *button)
{
    return !QKeySequence::mnemonic(button->text()).isEmpty();
}

} // namespace WidgetText
