#include "ui/RecordingWaveformView.h"

#include "chat/VoiceRecording.h"

#include <QPainter>

RecordingWaveformView::RecordingWaveformView(QWidget *parent) : QWidget(parent)
{
    setFixedSize(60, 22);
    setAccessibleName(QStringLiteral("Recording level"));
    hide();
}

void RecordingWaveformView::setLevel(double level, double phase)
{
    m_level = level;
    m_phase = phase;
    update();
}

void RecordingWaveformView::setTheme(const UiTheme &theme)
{
    m_theme = theme;
    update();
}

void RecordingWaveformView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    // The theme's account colour, as the user's own bubbles.
    painter.setBrush(m_theme.account());
    for (int i = 0; i < VoiceRecording::waveformBars; ++i) {
        const QRectF bar = VoiceRecording::waveformBar(i, size(), m_level, m_phase);
        painter.drawRoundedRect(bar, bar.width() / 2, bar.width() / 2);
    }
}

#include "moc_RecordingWaveformView.cpp"
