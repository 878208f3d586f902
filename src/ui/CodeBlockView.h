#pragma once

#include "ui/UiStyle.h"

#include <QFrame>

class QLabel;
class QToolButton;

// A code block of a message: a rounded box with the language and a copy
// button in its header, the source coloured below, never wrapped.
class CodeBlockView : public QFrame
{
    Q_OBJECT
public:
    CodeBlockView(const QString &language, const QString &source, qreal fontScale, const UiTheme &theme,
                  QWidget *parent = nullptr);

    QString source() const { return m_source; }
    // The source as coloured rich text.
    static QString highlightedHtml(const QString &source, const UiTheme &theme);

    void copyCode();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void showCopied(bool copied);

    QString m_source;
    UiTheme m_theme;
    qreal m_fontScale;
    QToolButton *m_copyButton;
    QLabel *m_code;
};
