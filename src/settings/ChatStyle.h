#pragma once

#include <QColor>
#include <QtGlobal>
#include <optional>

// The two named appearances a drawing appearance can best match. On macOS the
// system answers which one matches; elsewhere the application's own light
// setting decides.
enum class NamedAppearance { aqua, darkAqua };

// A colour that exists in a dark and a light variant. Every themed colour is
// one of these and is resolved at drawing time for the appearance in force.
struct ColorPair
{
    QColor dark;
    QColor light;

    // Light only when the best match is Aqua; DarkAqua or no match gives dark.
    QColor resolved(std::optional<NamedAppearance> bestMatch) const;
    QColor resolved(bool lightAppearance) const { return lightAppearance ? light : dark; }
    // For the appearance the application currently forces (ChatStyle::lightAppearance).
    QColor current() const;

    friend bool operator==(const ColorPair &, const ColorPair &) = default;
};

// The neutral colours for text and code, shared by every theme, and the
// appearance the whole application is drawn in.
namespace ChatStyle {

// Components 0…1 in a device-independent RGB space, alpha 1.
QColor rgb(double red, double green, double blue);
// Makes the adaptive colour of a (dark, light) pair.
ColorPair adaptive(const QColor &dark, const QColor &light);

const ColorPair &codeSurface();
const ColorPair &codeHeader();
const ColorPair &codeText();
const ColorPair &codeKeyword();
const ColorPair &codeNumber();
const ColorPair &codeString();
const ColorPair &buttonSurface();
const ColorPair &text();
const ColorPair &secondary();
const ColorPair &border();

// The appearance the application forces (from the `lightAppearance` setting);
// dark until told otherwise. Read on any thread, written on the main thread.
bool lightAppearance();
void setLightAppearance(bool light);
NamedAppearance namedAppearance(bool lightAppearance);

// Sizes in points at font scale 1; the ones marked "× scale" grow with the
// message font scale.
namespace Metrics {
// Transcript.
constexpr qreal rowSpacing = 8;
constexpr qreal columnInset = 12;
constexpr qreal documentBottomPadding = 24;
constexpr qreal bottomTolerance = 4;
constexpr qreal emptyStateSymbol = 24;
constexpr qreal emptyStateLabel = 11.5;
// Message rows.
constexpr qreal body = 11.7; // × scale
constexpr qreal actionButton = 20;
constexpr qreal actionSymbol = 12;
constexpr qreal time = 10.5;
constexpr qreal quoteAuthor = 10;
constexpr qreal quoteText = 11;
constexpr qreal quoteOpacity = 0.82;
constexpr qreal noticeSpacing = 9;
constexpr qreal noticeBadgeCornerRadius = 9;
constexpr qreal noticeBadgeOpacity = 0.16;
constexpr qreal noticeSymbol = 15;
constexpr qreal noticeTitle = 12.5;
constexpr qreal outgoingNoticeDarkening = 0.25;
constexpr qreal statusItemSpacing = 8;
constexpr qreal statusDot = 8;
constexpr qreal statusDotBox = 10;
constexpr qreal reactionEmoji = 32; // × scale
constexpr qreal listLineSpacing = 2;
constexpr qreal listParagraphSpacing = 6;
constexpr qreal codeCornerRadius = 7;
constexpr qreal codeBorderWidth = 0.6;
constexpr qreal codeHeaderHeight = 27; // × scale
constexpr qreal codeCopySymbol = 11;
constexpr qreal codeMinimumHeight = 48; // × scale
constexpr qreal mermaidHeight = 220;
constexpr qreal imagePreviewMaxWidth = 600;
constexpr qreal imagePreviewMaxHeight = 520;
constexpr int copiedFeedbackMs = 1500;
// Composer.
constexpr qreal inputText = 11.7;
constexpr qreal inputVerticalInset = 1;
constexpr qreal replyHeading = 10; // × scale
constexpr qreal replyPreview = 11; // × scale
constexpr qreal collapsedInputMaxHeight = 26;
} // namespace Metrics

} // namespace ChatStyle
