// Build-time generator of the small real files the simulated bots send: a PNG
// photo, a sticker picture, a PDF report, a WAV chime, an Ogg Opus voice note,
// an MP4 clip and a Markdown document. Run as: tdjson-sim-assets <output folder>.
//
// The voice note and the clip are encoded by ffmpeg when it is installed; without
// it the voice note is a hand-built silent Ogg Opus stream and the clip is empty,
// so the build never depends on ffmpeg being present.

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QStandardPaths>
#include <QtEndian>
#include <cmath>
#include <cstdio>

namespace {

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(bytes) == bytes.size();
}

bool writePhoto(const QString &path)
{
    QImage image(640, 400, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient sky(0, 0, 0, 400);
    sky.setColorAt(0, QColor(0x2a, 0x5d, 0x9f));
    sky.setColorAt(1, QColor(0xf2, 0xa6, 0x5a));
    p.fillRect(image.rect(), sky);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xff, 0xe0, 0x8a));
    p.drawEllipse(QPointF(470, 250), 60, 60);
    p.setBrush(QColor(0x1d, 0x3b, 0x2a));
    p.drawPolygon(QPolygonF({QPointF(0, 400), QPointF(180, 220), QPointF(330, 400)}));
    p.setBrush(QColor(0x27, 0x4d, 0x36));
    p.drawPolygon(QPolygonF({QPointF(200, 400), QPointF(420, 250), QPointF(640, 400)}));
    p.setPen(Qt::white);
    QFont font;
    font.setPixelSize(34);
    font.setBold(true);
    p.setFont(font);
    p.drawText(QRect(0, 24, 640, 60), Qt::AlignCenter, QStringLiteral("Tessaly demo photo"));
    p.end();
    return image.save(path, "PNG");
}

bool writeSticker(const QString &path)
{
    QImage image(256, 256, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x8a, 0x5a, 0x00), 6));
    p.setBrush(QColor(0xff, 0xcc, 0x33));
    p.drawEllipse(QPointF(128, 128), 110, 110);
    p.setBrush(QColor(0x3a, 0x2a, 0x00));
    p.drawEllipse(QPointF(90, 105), 14, 20);
    p.drawEllipse(QPointF(166, 105), 14, 20);
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(70, 110, 116, 80), 200 * 16, 140 * 16);
    p.end();
    return image.save(path, "PNG");
}

bool writePdf(const QString &path)
{
    QPdfWriter pdf(path);
    pdf.setTitle(QStringLiteral("Weekly report"));
    pdf.setCreator(QStringLiteral("Tessaly simulator"));
    pdf.setPageSize(QPageSize(QPageSize::A5));
    pdf.setResolution(72);
    QPainter p(&pdf);
    if (!p.isActive())
        return false;
    QFont title;
    title.setPointSize(20);
    title.setBold(true);
    p.setFont(title);
    p.drawText(QPointF(30, 50), QStringLiteral("Weekly report"));
    QFont body;
    body.setPointSize(11);
    p.setFont(body);
    const QStringList lines = {QStringLiteral("Builds: 42 green, 1 red"),
                               QStringLiteral("Open issues: 7 (down from 11)"),
                               QStringLiteral("Uptime: 99.98 %"), QStringLiteral("Next release: Friday")};
    qreal y = 90;
    for (const QString &line : lines) {
        p.drawText(QPointF(30, y), line);
        y += 22;
    }
    const QList<int> bars = {40, 65, 52, 80, 71};
    for (int i = 0; i < bars.size(); ++i)
        p.fillRect(QRectF(40 + i * 50, 330 - bars[i] * 1.5, 32, bars[i] * 1.5), QColor(0x3d, 0x7e, 0xd8));
    p.end();
    return true;
}

QByteArray wavTone(double seconds, int rate)
{
    const int samples = int(seconds * rate);
    QByteArray pcm(samples * 2, Qt::Uninitialized);
    for (int i = 0; i < samples; ++i) {
        const double t = double(i) / rate;
        const double envelope = std::exp(-3.0 * t);
        const double v =
            envelope * (0.5 * std::sin(2 * M_PI * 880 * t) + 0.3 * std::sin(2 * M_PI * 1320 * t));
        qToLittleEndian<qint16>(qint16(v * 20000), pcm.data() + i * 2);
    }
    QByteArray out;
    auto u32 = [&out](quint32 v) {
        char b[4];
        qToLittleEndian(v, b);
        out.append(b, 4);
    };
    auto u16 = [&out](quint16 v) {
        char b[2];
        qToLittleEndian(v, b);
        out.append(b, 2);
    };
    out.append("RIFF");
    u32(36 + pcm.size());
    out.append("WAVEfmt ");
    u32(16);
    u16(1);
    u16(1);
    u32(rate);
    u32(rate * 2);
    u16(2);
    u16(16);
    out.append("data");
    u32(pcm.size());
    out.append(pcm);
    return out;
}

// Ogg page CRC: polynomial 0x04c11db7, no reflection, initial value 0.
quint32 oggCrc(const QByteArray &data)
{
    quint32 crc = 0;
    for (unsigned char byte : data) {
        crc ^= quint32(byte) << 24;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04c11db7u : crc << 1;
    }
    return crc;
}

QByteArray oggPage(const QByteArray &packet, quint8 flags, quint64 granule, quint32 sequence)
{
    QByteArray page("OggS");
    page.append(char(0));
    page.append(char(flags));
    char b[8];
    qToLittleEndian(granule, b);
    page.append(b, 8);
    qToLittleEndian(quint32(0x54534d31), b); // stream serial
    page.append(b, 4);
    qToLittleEndian(sequence, b);
    page.append(b, 4);
    page.append(4, char(0)); // CRC placeholder
    QByteArray lacing;
    qsizetype left = packet.size();
    do {
        const int chunk = int(qMin<qsizetype>(left, 255));
        lacing.append(char(chunk));
        left -= chunk;
        if (chunk < 255)
            break;
    } while (true);
    page.append(char(lacing.size()));
    page.append(lacing);
    page.append(packet);
    qToLittleEndian(oggCrc(page), b);
    page.replace(22, 4, QByteArray(b, 4));
    return page;
}

// Three seconds of silence: one-byte Opus packets (20 ms CELT frames of zero
// length), which decoders render as silence.
QByteArray silentOggOpus()
{
    QByteArray head("OpusHead");
    head.append(char(1));
    head.append(char(1));
    char b[4];
    qToLittleEndian(quint16(312), b);
    head.append(b, 2);
    qToLittleEndian(quint32(48000), b);
    head.append(b, 4);
    head.append(3, char(0));
    QByteArray tags("OpusTags");
    qToLittleEndian(quint32(7), b);
    tags.append(b, 4);
    tags.append("tessaly");
    tags.append(4, char(0));
    QByteArray out = oggPage(head, 0x02, 0, 0);
    out += oggPage(tags, 0x00, 0, 1);
    const int frames = 150;
    for (int i = 0; i < frames; ++i) {
        const quint8 flags = i == frames - 1 ? 0x04 : 0x00;
        out += oggPage(QByteArray(1, char(0xf8)), flags, quint64(312 + (i + 1) * 960), quint32(2 + i));
    }
    return out;
}

bool runFfmpeg(const QString &ffmpeg, const QStringList &args)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(ffmpeg, QStringList{"-hide_banner", "-loglevel", "error", "-y"} + args);
    if (!process.waitForFinished(60000))
        return false;
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

const char *kNotes = "# Release notes\n\n"
                     "## 1.0\n\n"
                     "- Floating window for one bot chat\n"
                     "- QR sign-in with two-step password\n"
                     "- Voice notes, photos and PDFs\n";

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: tdjson-sim-assets <output folder>\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(out.path())) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }
    bool ok = writePhoto(out.filePath("photo.png")) && writeSticker(out.filePath("sticker.png")) &&
              writePdf(out.filePath("report.pdf")) &&
              writeFile(out.filePath("chime.wav"), wavTone(1.2, 22050)) &&
              writeFile(out.filePath("release-notes.md"), kNotes);

    const QString voice = out.filePath("voice.ogg");
    const QString clip = out.filePath("clip.mp4");
    const QString ffmpeg = QStandardPaths::findExecutable("ffmpeg");
    const bool encodedVoice =
        !ffmpeg.isEmpty() &&
        runFfmpeg(ffmpeg, {"-f", "lavfi", "-i", "sine=frequency=330:duration=3", "-af", "volume=0.4", "-ac",
                           "1", "-c:a", "libopus", "-b:a", "24k", voice});
    if (!encodedVoice)
        ok = writeFile(voice, silentOggOpus()) && ok;
    const bool encodedClip =
        !ffmpeg.isEmpty() &&
        runFfmpeg(ffmpeg, {"-f", "lavfi", "-i", "testsrc=size=320x240:rate=10:duration=2", "-c:v", "mpeg4",
                           "-q:v", "8", "-pix_fmt", "yuv420p", clip});
    if (!encodedClip)
        ok = writeFile(clip, QByteArray()) && ok;
    if (!ok) {
        std::fprintf(stderr, "tdjson-sim-assets: could not write every file into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
