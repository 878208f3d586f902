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

    // The label: the scale × 100, truncated, and "%" ("110%").
    QString label() const;
    static QString label(qreal scale);

    // The window width for a new scale: the width grows and shrinks with it.
    static qreal scaledWindowWidth(qreal width, qreal oldScale, qreal newScale);

private:
    int m_tenths = 10;
};
