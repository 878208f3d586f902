#pragma once

#include <QString>

// The message font scale: 0.8 to 1.6 in steps of 0.1, 1.0 at start, not
// stored between runs. Values stay on the tenths so that repeated steps never
// drift off the ends or show 109 %.
class FontScale
{
public:
    static constexpr qreal minimum = 0.8;
    static constexpr qreal maximum = 1.6;
    static constexpr qreal step = 0.1;

    qreal value() const { return m_tenths / 10.0; }

    // Each returns whether the scale changed; at the bounds nothing changes.
    bool decrease();
    bool increase();
    // Back to 100 %.
    bool reset();

    // The label: the scale × 100, truncated, and "%" ("110%").
    QString label() const;
    static QString label(qreal scale);

    // The window is never narrower than 300 points, nor than 300 scaled.
    static int minimumWindowWidth(qreal scale);

private:
    int m_tenths = 10;
};

// The window width that goes with a scale: the width grows and shrinks with
// the text. It is computed from the width at 100 %, never step by step, so
// rounding and the minimum width cannot accumulate and a round trip of the
// scale ends at the width it began with. A width the user chose in between
// becomes the new base.
class ScaledWindowWidth
{
public:
    // currentWidth: the window's width now, at oldScale.
    qreal widthFor(qreal currentWidth, qreal oldScale, qreal newScale);
    // The width the window took (after the limits of its screen and minimum size).
    void applied(qreal width) { m_lastApplied = width; }

private:
    qreal m_baseWidth = 0;
    qreal m_lastApplied = -1;
};
