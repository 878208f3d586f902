#pragma once

#include <QRectF>
#include <QStringList>
#include <QtGlobal>

// The arithmetic of recording a voice note: the level meter, the waveform's
// bars, the duration sent, and how the recording becomes an Opus voice note.
namespace VoiceRecording {

// Average power in dBFS of 16-bit samples; -160 for silence or no samples.
double averagePowerDb(const qint16 *samples, qsizetype count);
// The meter: clamped below at -60 dB and mapped to 0…1.
double meterLevel(double averagePowerDb);
// Whole seconds, at least 1 (a half-second note is sent as 1 s).
int durationSeconds(qint64 elapsedMs);
// Bar `index` of the nine drawn while recording, in a view of the given size.
QRectF waveformBar(int index, const QSizeF &view, double level, double phase);
constexpr int waveformBars = 9;

// The recording's file name in the outgoing folder. TDLib sends a file as a
// voice message only when it is Opus in Ogg with one channel.
QString fileName(const QString &uuid);
// ffmpeg arguments turning raw 16-bit mono samples into that file.
QStringList encoderArguments(const QString &rawPath, int sampleRate, const QString &oggPath);

} // namespace VoiceRecording
