#pragma once

#include "settings/ChatStyle.h"

#include <QtGlobal>

// The arithmetic of the transcript's column: spacing, whether the view sits
// at the bottom, and the insets that tighten in narrow windows.
namespace TranscriptLayout {

constexpr qreal rowSpacing = ChatStyle::Metrics::rowSpacing;
constexpr qreal initialColumnInset = ChatStyle::Metrics::columnInset;
constexpr qreal bottomPadding = ChatStyle::Metrics::documentBottomPadding;
constexpr qreal bottomTolerance = ChatStyle::Metrics::bottomTolerance;

struct Insets
{
    qreal message = 0;
    qreal column = 0;
};

// From 365 points wide down to 300 the insets shrink continuously.
Insets insets(qreal windowWidth);

// At the bottom when the document fits, or when the visible bottom edge is
// within the tolerance of the document's end.
bool isAtBottom(qreal currentDocumentHeight, qreal clipHeight, qreal visibleBottom);

} // namespace TranscriptLayout
