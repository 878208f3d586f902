// Build-time exporter of the application icon for the desktop entry: the same
// drawing the application makes at run time, as PNG files of the sizes desktops
// look up and one SVG, in the freedesktop hicolor layout.
// Run as: tessaly-app-icon <output folder>  (writes <output>/hicolor/...).
#include "ui/AppIcon.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>
#include <cstdio>

namespace {

bool writePng(const QDir &root, int size)
{
    const QString folder = QStringLiteral("hicolor/%1x%1/apps").arg(size);
    if (!root.mkpath(folder))
        return false;
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    AppIcon::paint(painter, size);
    painter.end();
    return image.save(root.filePath(folder + QStringLiteral("/tessaly.png")), "PNG");
}

bool writeSvg(const QDir &root)
{
    const QString folder = QStringLiteral("hicolor/scalable/apps");
    if (!root.mkpath(folder))
        return false;
    QSvgGenerator svg;
    svg.setFileName(root.filePath(folder + QStringLiteral("/tessaly.svg")));
    svg.setSize(QSize(128, 128));
    svg.setViewBox(QRect(0, 0, 128, 128));
    svg.setTitle(QStringLiteral("Tessaly"));
    QPainter painter;
    if (!painter.begin(&svg))
        return false;
    AppIcon::paint(painter, 128);
    return painter.end();
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: tessaly-app-icon <output folder>\n");
        return 2;
    }
    const QDir root(QString::fromLocal8Bit(argv[1]));
    bool ok = writeSvg(root);
    for (const int size : {16, 32, 48, 64, 128, 256})
        ok = ok && writePng(root, size);
    if (!ok) {
        std::fprintf(stderr, "tessaly-app-icon: could not write the icons into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
