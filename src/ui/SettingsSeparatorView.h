#pragma once

#include "ui/ThemedView.h"

#include <QWidget>

// A one-point line across the full width.
class SettingsSeparatorView : public QWidget, public ThemedView
{
    Q_OBJECT
public:
    explicit SettingsSeparatorView(QWidget *parent = nullptr);
    QSize sizeHint() const override { return {-1, 1}; }
    QAccessible::Role accessibleRole() const override { return QAccessible::Separator; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void themeChanged() override { update(); }
};
