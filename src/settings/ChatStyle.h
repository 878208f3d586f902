#pragma once

#include <QColor>
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

} // namespace ChatStyle
