#pragma once

#include "ui/UiStyle.h"

#include <QAccessible>
#include <QString>

class QWidget;

// A settings control drawn in the theme's colours. The owner hands it the
// theme; every paint resolves the colours from it anew, so a light/dark
// change only needs a repaint. It also answers what assistive tools ask:
// its role and current value.
class ThemedView
{
public:
    virtual ~ThemedView() = default;

    void setTheme(const UiTheme &theme);
    const UiTheme &theme() const { return m_theme; }

    virtual QAccessible::Role accessibleRole() const = 0;
    virtual QString accessibleValue() const { return {}; }

    // Makes assistive tools ask ThemedView for role and value (once per process).
    static void installAccessibility();

protected:
    // Repaints the widget; views with children pass the theme on.
    virtual void themeChanged() = 0;
    // Tells assistive tools that the value changed.
    static void announceValue(QWidget *widget);

private:
    UiTheme m_theme;
};
