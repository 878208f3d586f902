#pragma once

#include "agent/MacAccessLevel.h"
#include "ui/ThemedView.h"

#include <QVariantAnimation>
#include <QWidget>

// The three-stop Mac access control: no access, read only, full access.
// Pressing or dragging picks the stop under the pointer; each change of level
// moves the thumb with a short ease-out animation and emits levelChanged once,
// so a drag across all three stops reports two changes, and a click on the
// current stop none. setLevel from code moves the thumb without animation.
class MacAccessSlider : public QWidget, public ThemedView
{
    Q_OBJECT
public:
    static constexpr int animationMs = 180;

    explicit MacAccessSlider(QWidget *parent = nullptr);

    MacAccessLevel level() const { return m_level; }
    // From code: no animation, no signal.
    void setLevel(MacAccessLevel level);
    // The thumb's left edge as drawn now (it trails the level while animating).
    qreal thumbX() const { return m_thumbX; }
    bool isAnimating() const { return m_animation.state() == QAbstractAnimation::Running; }

    QSize sizeHint() const override { return {84, 26}; }
    QAccessible::Role accessibleRole() const override { return QAccessible::Slider; }
    QString accessibleValue() const override { return MacAccessLevels::title(m_level); }

    static QString symbolName(MacAccessLevel level);

signals:
    void levelChanged(MacAccessLevel level);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void themeChanged() override { update(); }

private:
    qreal third() const { return width() / 3.0; }
    qreal restingX(MacAccessLevel level) const;
    void pick(qreal x);
    void describe();

    MacAccessLevel m_level = MacAccessLevel::off;
    qreal m_thumbX = 2;
    bool m_tracking = false;
    QVariantAnimation m_animation;
};
