#pragma once

#include "ui/UiStyle.h"

#include <QFrame>
#include <QScrollArea>

class QLabel;
class QScrollBar;
class QToolButton;

// The code's own viewport: as high as the code, as wide as the block, and
// scrolled sideways by a scroll bar, a sideways wheel or Shift with the wheel.
class CodeScrollArea : public QScrollArea
{
    Q_OBJECT
public:
    explicit CodeScrollArea(QWidget *parent = nullptr);

protected:
    bool event(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    QSize codeSize() const;
    bool needsScrollBar(int width) const;
    void fitHeight();
};

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
    // Where long lines scroll sideways.
    QScrollBar *horizontalScrollBar() const;
    QWidget *codeViewport() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void showCopied(bool copied);

    QString m_source;
    UiTheme m_theme;
    qreal m_fontScale;
    QToolButton *m_copyButton;
    QLabel *m_code;
    CodeScrollArea *m_scroll;
};
