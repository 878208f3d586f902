#include "chat/FontScale.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr int minimumTenths = 8;
constexpr int maximumTenths = 16;
} // namespace

bool FontScale::decrease()
{
    const int next = std::max(m_tenths - 1, minimumTenths);
    const bool changed = next != m_tenths;
    m_tenths = next;
    return changed;
}

bool FontScale::increase()
{
    const int next = std::min(m_tenths + 1, maximumTenths);
    const bool changed = next != m_tenths;
    m_tenths = next;
    return changed;
}

bool FontScale::reset()
{
    const bool changed = m_tenths != 10;
    m_tenths = 10;
    return changed;
}

QString FontScale::label() const
{
    return QString::number(m_tenths * 10) + QLatin1Char('%');
}

QString FontScale::label(qreal scale)
{
    // A hair of tolerance so 1.1 × 100 = 110.00000000000001 and 1.15 computed as
    // 114.99999999999999 both land where a reader expects.
    return QString::number(qint64(std::floor(scale * 100 + 1e-9))) + QLatin1Char('%');
}

int FontScale::minimumWindowWidth(qreal scale)
{
    constexpr int baseMinimum = 300;
    // A hair of tolerance so 1.1 × 300 = 330.00000000000006 stays 330.
    return std::max(int(std::ceil(scale * baseMinimum - 1e-9)), baseMinimum);
}

qreal ScaledWindowWidth::widthFor(qreal currentWidth, qreal oldScale, qreal newScale)
{
    const bool resizedByUser = m_lastApplied < 0 || std::abs(currentWidth - m_lastApplied) >= 0.5;
    if (resizedByUser || m_baseWidth <= 0)
        m_baseWidth = oldScale > 0 ? currentWidth / oldScale : currentWidth;
    return m_baseWidth * newScale;
}
