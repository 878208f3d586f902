#include "chat/TranscriptLayout.h"

#include <algorithm>
#include <cmath>

namespace TranscriptLayout {

Insets insets(qreal windowWidth)
{
    qreal t = (windowWidth - 300) / 65;
    // A width that is not a number (a window not laid out yet) counts as narrow.
    if (std::isnan(t))
        t = 0;
    t = std::clamp(t, qreal(0), qreal(1));
    return Insets{6 + 6 * t, 4 + 8 * t};
}

bool isAtBottom(qreal currentDocumentHeight, qreal clipHeight, qreal visibleBottom)
{
    return currentDocumentHeight <= clipHeight + bottomTolerance ||
           visibleBottom >= currentDocumentHeight - bottomTolerance;
}

} // namespace TranscriptLayout
