#include "chat/VoiceRecording.h"

#include <algorithm>
#include <cmath>

namespace VoiceRecording {

double averagePowerDb(const qint16 *samples, qsizetype count)
{
    if (count <= 0)
        return -160.0;
    double sum = 0;
    for (qsizetype i = 0; i < count; ++i) {
        const double s = samples[i] / 32768.0;
        sum += s * s;
    }
    const double rms = std::sqrt(sum / double(count));
    return rms > 0 ? std::max(20.0 * std::log10(rms), -160.0) : -160.0;
}

double meterLevel(double averagePowerDb)
{
    const double power = std::max(averagePowerDb, -60.0);
    return std::clamp((power + 60.0) / 60.0, 0.0, 1.0);
}

int durationSeconds(qint64 elapsedMs)
{
    return std::max(1, int(std::llround(double(std::max<qint64>(elapsedMs, 0)) / 1000.0)));
}

QRectF waveformBar(int index, const QSizeF &view, double level, double phase)
{
    const double width = std::max((view.width() - 24.0) / waveformBars, 2.0);
    const double x = index * (width + 3.0);
    const double height =
        std::max((view.height() - 4.0) * (level * (0.65 * std::abs(std::sin(phase + 0.75 * index)) + 0.35) + 0.15),
                 3.0);
    return QRectF(x, (view.height() - height) / 2.0, width, height);
}

QString fileName(const QString &uuid)
{
    return uuid + QStringLiteral("-voice.ogg");
}

QStringList encoderArguments(const QString &rawPath, int sampleRate, const QString &oggPath)
{
    return {QStringLiteral("-nostdin"), QStringLiteral("-y"), QStringLiteral("-loglevel"), QStringLiteral("error"),
            QStringLiteral("-f"), QStringLiteral("s16le"), QStringLiteral("-ar"), QString::number(sampleRate),
            QStringLiteral("-ac"), QStringLiteral("1"), QStringLiteral("-i"), rawPath,
            QStringLiteral("-c:a"), QStringLiteral("libopus"), QStringLiteral("-b:a"), QStringLiteral("32k"),
            QStringLiteral("-application"), QStringLiteral("voip"), QStringLiteral("-ac"), QStringLiteral("1"),
            oggPath};
}

} // namespace VoiceRecording
