#include "settings/AppTheme.h"

#include "settings/SettingsStore.h"

#include <array>

namespace {

struct Rgb
{
    double r, g, b;
};

// One row of the palette: the dark and light variant for each theme, in the
// order of AppTheme::Case.
struct PaletteRow
{
    std::array<Rgb, 5> dark;
    std::array<Rgb, 5> light;

    ColorPair pair(AppTheme::Case theme) const
    {
        const Rgb &d = dark[theme];
        const Rgb &l = light[theme];
        return ChatStyle::adaptive(ChatStyle::rgb(d.r, d.g, d.b), ChatStyle::rgb(l.r, l.g, l.b));
    }
};

// clang-format off
//                                 violet               ocean              ember                 forest               graphite
constexpr PaletteRow windowRow{{{{0.03, 0.05, 0.08}, {0.02, 0.055, 0.09}, {0.07, 0.045, 0.04}, {0.025, 0.06, 0.05}, {0.045, 0.045, 0.055}}},
                               {{{0.96, 0.97, 0.99}, {0.95, 0.97, 1.0}, {1.0, 0.97, 0.95}, {0.95, 0.99, 0.96}, {0.96, 0.96, 0.97}}}};
constexpr PaletteRow transcriptRow{{{{0.04, 0.06, 0.09}, {0.03, 0.07, 0.1}, {0.09, 0.055, 0.045}, {0.03, 0.075, 0.06}, {0.06, 0.06, 0.07}}},
                                   {{{0.985, 0.99, 1.0}, {0.97, 0.985, 1.0}, {1.0, 0.985, 0.975}, {0.97, 1.0, 0.98}, {0.98, 0.98, 0.99}}}};
constexpr PaletteRow composerRow{{{{0.06, 0.08, 0.11}, {0.04, 0.08, 0.12}, {0.11, 0.07, 0.055}, {0.045, 0.09, 0.07}, {0.08, 0.08, 0.09}}},
                                 {{{1.0, 1.0, 1.0}, {1.0, 1.0, 1.0}, {1.0, 1.0, 1.0}, {1.0, 1.0, 1.0}, {1.0, 1.0, 1.0}}}};
constexpr PaletteRow switchThumbRow{{{{0.85, 0.76, 1.0}, {0.72, 0.86, 1.0}, {1.0, 0.82, 0.68}, {0.78, 0.95, 0.82}, {0.88, 0.88, 0.94}}},
                                    {{{0.34, 0.22, 0.58}, {0.12, 0.3, 0.55}, {0.55, 0.22, 0.12}, {0.16, 0.38, 0.22}, {0.3, 0.3, 0.38}}}};
constexpr PaletteRow botRow{{{{0.71, 0.49, 1.0}, {0.36, 0.66, 1.0}, {1.0, 0.55, 0.35}, {0.45, 0.88, 0.6}, {0.72, 0.72, 0.8}}},
                            {{{0.4, 0.22, 0.72}, {0.1, 0.36, 0.78}, {0.7, 0.25, 0.1}, {0.1, 0.48, 0.26}, {0.32, 0.32, 0.4}}}};
constexpr PaletteRow accountRow{{{{1.0, 0.78, 0.28}, {0.3, 0.85, 0.8}, {1.0, 0.8, 0.35}, {0.85, 0.9, 0.4}, {0.9, 0.8, 0.6}}},
                                {{{0.57, 0.36, 0.02}, {0.02, 0.42, 0.4}, {0.6, 0.36, 0.02}, {0.4, 0.45, 0.05}, {0.45, 0.36, 0.22}}}};
constexpr PaletteRow attachmentRow{{{{0.2, 0.82, 0.92}, {0.3, 0.8, 1.0}, {1.0, 0.62, 0.55}, {0.35, 0.85, 0.75}, {0.65, 0.75, 0.85}}},
                                   {{{0.02, 0.47, 0.56}, {0.02, 0.4, 0.6}, {0.62, 0.2, 0.2}, {0.02, 0.45, 0.38}, {0.28, 0.38, 0.48}}}};
constexpr PaletteRow retryRow{{{{1.0, 0.72, 0.2}, {1.0, 0.75, 0.35}, {1.0, 0.5, 0.3}, {1.0, 0.78, 0.3}, {0.95, 0.75, 0.45}}},
                              {{{0.63, 0.37, 0.01}, {0.6, 0.38, 0.02}, {0.65, 0.18, 0.08}, {0.6, 0.38, 0.02}, {0.5, 0.34, 0.08}}}};

// clang-format on

struct Names
{
    const char *raw;
    const char *display;
};
constexpr std::array<Names, 5> names{{{"violet", "Violet"},
                                      {"ocean", "Ocean"},
                                      {"ember", "Ember"},
                                      {"forest", "Forest"},
                                      {"graphite", "Graphite"}}};

} // namespace

QList<AppTheme> AppTheme::allCases()
{
    return {violet, ocean, ember, forest, graphite};
}

std::optional<AppTheme> AppTheme::fromRawValue(const QString &rawValue)
{
    for (const AppTheme theme : allCases()) {
        if (rawValue == QLatin1String(names[theme.value()].raw))
            return theme;
    }
    return std::nullopt;
}

AppTheme AppTheme::current(const SettingsStore &store)
{
    const std::optional<QString> stored = store.string(QLatin1String(settingsKey));
    if (!stored)
        return violet;
    return fromRawValue(*stored).value_or(violet);
}

void AppTheme::setCurrent(SettingsStore &store, AppTheme theme)
{
    store.setString(QLatin1String(settingsKey), theme.rawValue());
}

QString AppTheme::rawValue() const
{
    return QLatin1String(names[m_value].raw);
}

QString AppTheme::displayName() const
{
    return QLatin1String(names[m_value].display);
}

QString AppTheme::changedStatusText() const
{
    return QStringLiteral("Theme set to ") + displayName() + QLatin1Char('.');
}

ColorPair AppTheme::windowColors() const
{
    return windowRow.pair(m_value);
}

ColorPair AppTheme::transcriptColors() const
{
    return transcriptRow.pair(m_value);
}

ColorPair AppTheme::composerColors() const
{
    return composerRow.pair(m_value);
}

ColorPair AppTheme::switchThumbColors() const
{
    return switchThumbRow.pair(m_value);
}

ColorPair AppTheme::botColors() const
{
    return botRow.pair(m_value);
}

ColorPair AppTheme::accountColors() const
{
    return accountRow.pair(m_value);
}

ColorPair AppTheme::attachmentColors() const
{
    return attachmentRow.pair(m_value);
}

ColorPair AppTheme::retryColors() const
{
    return retryRow.pair(m_value);
}
