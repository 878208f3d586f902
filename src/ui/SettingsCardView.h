#pragma once

#include "ui/ThemedView.h"

#include <QWidget>

// The rounded surface a group of settings rows sits on.
class SettingsCardView : public QWidget, public ThemedView
{
    Q_OBJECT
public:
    explicit SettingsCardView(QWidget *parent = nullptr);
    QAccessible::Role accessibleRole() const override { return QAccessible::Grouping; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void themeChanged() override { update(); }
};
