#pragma once

#include "ui/ThemedView.h"

#include <QWidget>

// An on/off switch: a capsule track and a round thumb. A click or the space
// key flips it and emits toggled; setting isOn from code emits nothing.
class ThemedSwitch : public QWidget, public ThemedView
{
    Q_OBJECT
public:
    explicit ThemedSwitch(QWidget *parent = nullptr);

    bool isOn() const { return m_isOn; }
    void setOn(bool on);

    QSize sizeHint() const override { return {36, 20}; }
    QAccessible::Role accessibleRole() const override { return QAccessible::CheckBox; }
    QString accessibleValue() const override { return m_isOn ? QStringLiteral("1") : QStringLiteral("0"); }

signals:
    // The user flipped the switch.
    void toggled(bool on);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void themeChanged() override { update(); }

private:
    void flip();

    bool m_isOn = false;
};
