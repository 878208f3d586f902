#pragma once

#include <QHash>
#include <QLabel>

// A wrapped text whose height follows its width: a word-wrapped label would
// otherwise claim the height of its narrowest layout as its minimum, and rows
// would grow far taller than their text.
//
// Its height for a width is remembered: every layout pass of the transcript
// asks each row again, and a rich-text label answers by laying out its whole
// document, which made one new message cost as much as half a full rebuild.
class MessageTextLabel : public QLabel
{
public:
    using QLabel::QLabel;
    QSize minimumSizeHint() const override { return QSize(0, 0); }

    int heightForWidth(int width) const override
    {
        // The text and font are part of the key: setText is not virtual. A
        // layout pass asks for a few widths (with and without a scroll bar,
        // minimum and preferred), so a few answers are kept.
        if (text() != m_cachedText || font() != m_cachedFont) {
            m_heights.clear();
            m_cachedText = text();
            m_cachedFont = font();
        }
        const auto found = m_heights.constFind(width);
        if (found != m_heights.cend())
            return found.value();
        if (m_heights.size() >= 16)
            m_heights.clear();
        const int height = QLabel::heightForWidth(width);
        m_heights.insert(width, height);
        return height;
    }

private:
    mutable QHash<int, int> m_heights;
    mutable QString m_cachedText;
    mutable QFont m_cachedFont;
};
