#pragma once

#include <QHash>
#include <QLabel>
#include <memory>

class QTextDocument;

// A message text whose height follows its width (or, unwrapped, a code
// block's text at its natural size).
//
// A rich-text QLabel is costly to size: its size hint lays the text out at
// three widths, each height query lays it out twice (at the asked width, then
// back) and the first paint after every resize lays it out three times more.
// This label keeps two documents of its own, each laid out at one width (the
// one it is shown at and the last other one asked for), remembers the heights
// it found, and paints from the document at its width; the label's own text
// machinery is left to selection and links, which lay it out when the user
// first touches the text.
class MessageTextLabel : public QLabel
{
    Q_OBJECT
public:
    explicit MessageTextLabel(QWidget *parent = nullptr);
    ~MessageTextLabel() override;

    // A word-wrapped label would otherwise claim the height of its narrowest
    // layout as its minimum, and rows would grow far taller than their text.
    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;
    int heightForWidth(int width) const override;

    // How many times the text was laid out for a width or a paint: what a
    // transcript refresh costs this label.
    int textLayouts() const { return m_textLayouts; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // The label's own text machinery draws a selection or a focused link.
    bool paintsWithTextControl() const;
    // Rich or selectable text is drawn from a document; plain text by QLabel.
    bool usesDocument() const;
    // Drops what was measured when the text or the font changed (setText is
    // not virtual, so each query compares).
    void syncWithContent() const;
    std::unique_ptr<QTextDocument> makeDocument() const;
    // A document laid out for this text width: one already at it, or the one
    // not holding the width the label is shown at, laid out again.
    QTextDocument *documentFor(int textWidth) const;
    int shownTextWidth() const;

    struct Layout
    {
        std::unique_ptr<QTextDocument> document;
        int width = -1;
        quint64 used = 0;
    };
    mutable Layout m_layouts[2];
    mutable quint64 m_uses = 0;
    mutable QString m_text;
    mutable QFont m_font;
    mutable bool m_synced = false;
    mutable QHash<int, int> m_heights;
    mutable int m_lastWidth = -1;
    mutable int m_textLayouts = 0;
};
