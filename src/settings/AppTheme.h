#pragma once

#include "settings/ChatStyle.h"

#include <QList>
#include <QString>
#include <optional>

class SettingsStore;

// The colour theme the user picks. Stored under `appTheme` by its raw value;
// an unknown or differently cased value counts as absent, which is violet.
class AppTheme
{
public:
    enum Case { violet, ocean, ember, forest, graphite };

    static constexpr const char *settingsKey = "appTheme";

    constexpr AppTheme(Case value = violet) : m_value(value) {}

    // The five themes in the order every theme list shows them.
    static QList<AppTheme> allCases();
    // Exact raw values only: "Violet" is not a theme.
    static std::optional<AppTheme> fromRawValue(const QString &rawValue);

    static AppTheme current(const SettingsStore &store);
    static void setCurrent(SettingsStore &store, AppTheme theme);

    constexpr Case value() const { return m_value; }
    QString rawValue() const;
    QString displayName() const;

    // Each pair is (dark, light).
    ColorPair windowColors() const;
    ColorPair transcriptColors() const;
    ColorPair composerColors() const;
    ColorPair switchThumbColors() const;
    // The accent: the bot's side, controls, hover tints, swatches, "/" command tokens.
    ColorPair botColors() const;
    // The user's own side, and "@"/"$" tokens in the composer.
    ColorPair accountColors() const;
    ColorPair attachmentColors() const;
    ColorPair retryColors() const;

    // The swatch in theme lists: the light variant of the accent, kept in colour.
    QColor swatchColor() const { return botColors().light; }
    // The status line after the user picked this theme.
    QString changedStatusText() const;

    friend constexpr bool operator==(AppTheme a, AppTheme b) { return a.m_value == b.m_value; }

private:
    Case m_value;
};
