#pragma once

#include "ui/UiStyle.h"

#include <QWidget>

// Nine bars that move with the microphone's level while a voice note records.
class RecordingWaveformView : public QWidget
{
    Q_OBJECT
public:
    explicit RecordingWaveformView(QWidget *parent = nullptr);

    void setLevel(double level, double phase);
    double level() const { return m_level; }
    void setTheme(const UiTheme &theme);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    double m_level = 0;
    double m_phase = 0;
    UiTheme m_theme;
};
