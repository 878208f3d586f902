#pragma once

#include "ui/ThemedView.h"

#include <QColor>
#include <QWidget>

// A small filled circle that shows a state by its colour.
class StatusDotView : public QWidget, public ThemedView
{
    Q_OBJECT
public:
    explicit StatusDotView(QWidget *parent = nullptr);

    QColor color() const { return m_color; }
    void setColor(const QColor &color);

    QSize sizeHint() const override { return {9, 9}; }
    QAccessible::Role accessibleRole() const override { return QAccessible::Graphic; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void themeChanged() override { update(); }

private:
    QColor m_color = QColor(0x8e, 0x8e, 0x93);
};
