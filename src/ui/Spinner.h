#pragma once

#include <QTimer>
#include <QWidget>

// A small indeterminate progress wheel. It runs a timer only while animating
// and visible, so an idle window costs no CPU.
class Spinner : public QWidget
{
    Q_OBJECT
public:
    explicit Spinner(QWidget *parent = nullptr);
    void startAnimation();
    void stopAnimation();
    bool isAnimating() const { return m_animating; }
    QSize sizeHint() const override { return {20, 20}; }

protected:
    void paintEvent(QPaintEvent *) override;
    void showEvent(QShowEvent *) override;
    void hideEvent(QHideEvent *) override;

private:
    QTimer m_timer;
    int m_step = 0;
    bool m_animating = false;
};
