#include "settings/ChatStyle.h"

#include <atomic>

namespace {
std::atomic<bool> g_lightAppearance{false};
}

QColor ColorPair::resolved(std::optional<NamedAppearance> bestMatch) const
{
    return bestMatch == NamedAppearance::aqua ? light : dark;
}

QColor ColorPair::current() const
{
    return resolved(ChatStyle::lightAppearance());
}

namespace ChatStyle {

QColor rgb(double red, double green, double blue)
{
    return QColor::fromRgbF(float(red), float(green), float(blue), 1.0f);
}

ColorPair adaptive(const QColor &dark, const QColor &light)
{
    return ColorPair{dark, light};
}

// Each colour is created once, on first use.
#define TESSALY_CHAT_COLOR(name, dr, dg, db, lr, lg, lb)                                                     \
    const ColorPair &name()                                                                                  \
    {                                                                                                        \
        static const ColorPair pair = adaptive(rgb(dr, dg, db), rgb(lr, lg, lb));                            \
        return pair;                                                                                         \
    }

TESSALY_CHAT_COLOR(codeSurface, 0.055, 0.075, 0.105, 0.94, 0.95, 0.97)
TESSALY_CHAT_COLOR(codeHeader, 0.22, 0.25, 0.3, 0.86, 0.88, 0.91)
TESSALY_CHAT_COLOR(codeText, 0.89, 0.92, 0.97, 0.15, 0.18, 0.23)
TESSALY_CHAT_COLOR(codeKeyword, 0.4, 0.72, 1.0, 0.08, 0.38, 0.75)
TESSALY_CHAT_COLOR(codeNumber, 0.49, 0.79, 0.42, 0.2, 0.54, 0.2)
TESSALY_CHAT_COLOR(codeString, 1.0, 0.78, 0.43, 0.61, 0.33, 0.05)
TESSALY_CHAT_COLOR(buttonSurface, 0.2, 0.22, 0.27, 0.88, 0.9, 0.93)
TESSALY_CHAT_COLOR(text, 0.86, 0.87, 0.91, 0.12, 0.15, 0.21)
TESSALY_CHAT_COLOR(secondary, 0.48, 0.56, 0.65, 0.39, 0.45, 0.53)
TESSALY_CHAT_COLOR(border, 0.18, 0.22, 0.28, 0.79, 0.82, 0.87)

#undef TESSALY_CHAT_COLOR

bool lightAppearance()
{
    return g_lightAppearance.load(std::memory_order_relaxed);
}

void setLightAppearance(bool light)
{
    g_lightAppearance.store(light, std::memory_order_relaxed);
}

NamedAppearance namedAppearance(bool lightAppearance)
{
    return lightAppearance ? NamedAppearance::aqua : NamedAppearance::darkAqua;
}

} // namespace ChatStyle
