#include "ui/IconTable.h"

#include <QHash>
#include <QPainter>
#include <QSvgRenderer>

namespace {

// SF Symbols name → Bootstrap Icons file (MIT), compiled in under :/icons/.
const QHash<QString, QString> &table()
{
    static const QHash<QString, QString> names = {
        {QStringLiteral("bubble.left.and.bubble.right"), QStringLiteral("chat-left-text")},
        {QStringLiteral("person.fill"), QStringLiteral("person-fill")},
        {QStringLiteral("sparkles"), QStringLiteral("stars")},
        {QStringLiteral("doc.on.doc"), QStringLiteral("copy")},
        {QStringLiteral("speaker.wave.2"), QStringLiteral("volume-up-fill")},
        {QStringLiteral("stop.fill"), QStringLiteral("stop-fill")},
        {QStringLiteral("arrowshape.turn.up.left"), QStringLiteral("reply-fill")},
        {QStringLiteral("hand.thumbsup.fill"), QStringLiteral("hand-thumbs-up-fill")},
        {QStringLiteral("hand.thumbsdown.fill"), QStringLiteral("hand-thumbs-down-fill")},
        {QStringLiteral("trash"), QStringLiteral("trash3")},
        {QStringLiteral("checkmark"), QStringLiteral("check-lg")},
        {QStringLiteral("checkmark.circle.fill"), QStringLiteral("check-circle-fill")},
        {QStringLiteral("play.circle.fill"), QStringLiteral("play-circle-fill")},
        {QStringLiteral("xmark.octagon.fill"), QStringLiteral("x-octagon-fill")},
        {QStringLiteral("xmark.circle.fill"), QStringLiteral("x-circle-fill")},
        {QStringLiteral("exclamationmark.triangle.fill"), QStringLiteral("exclamation-triangle-fill")},
        {QStringLiteral("bell.badge.fill"), QStringLiteral("bell-fill")},
        {QStringLiteral("hourglass"), QStringLiteral("hourglass-split")},
        {QStringLiteral("circle.fill"), QStringLiteral("circle-fill")},
        {QStringLiteral("waveform"), QStringLiteral("soundwave")},
        {QStringLiteral("doc.fill"), QStringLiteral("file-earmark-fill")},
        {QStringLiteral("photo"), QStringLiteral("image")},
        {QStringLiteral("doc.richtext"), QStringLiteral("file-earmark-richtext")},
        {QStringLiteral("doc.text"), QStringLiteral("file-earmark-text")},
        {QStringLiteral("questionmark.circle"), QStringLiteral("question-circle")},
        {QStringLiteral("paperclip"), QStringLiteral("paperclip")},
        {QStringLiteral("mic"), QStringLiteral("mic-fill")},
        {QStringLiteral("arrow.clockwise"), QStringLiteral("arrow-clockwise")},
        {QStringLiteral("arrow.up"), QStringLiteral("arrow-up")},
        {QStringLiteral("xmark"), QStringLiteral("x-lg")},
        {QStringLiteral("textformat.size.smaller"), QStringLiteral("zoom-out")},
        {QStringLiteral("textformat.size.larger"), QStringLiteral("zoom-in")},
        {QStringLiteral("magnifyingglass"), QStringLiteral("search")},
        {QStringLiteral("pin.fill"), QStringLiteral("pin-angle-fill")},
        {QStringLiteral("pin.slash"), QStringLiteral("pin-angle")},
        {QStringLiteral("person.2"), QStringLiteral("robot")},
        {QStringLiteral("paperplane.fill"), QStringLiteral("send-fill")},
        // The settings window.
        {QStringLiteral("nosign"), QStringLiteral("slash-circle")},
        {QStringLiteral("eye"), QStringLiteral("eye")},
        {QStringLiteral("circle.lefthalf.filled"), QStringLiteral("circle-half")},
        {QStringLiteral("macwindow"), QStringLiteral("window")},
        {QStringLiteral("sun.max"), QStringLiteral("sun")},
        {QStringLiteral("moon"), QStringLiteral("moon")},
        // Media placeholders of converted messages.
        {QStringLiteral("chart.bar.xaxis"), QStringLiteral("bar-chart-fill")},
        {QStringLiteral("checklist"), QStringLiteral("card-checklist")},
        {QStringLiteral("die.face.5"), QStringLiteral("dice-5-fill")},
        {QStringLiteral("face.smiling"), QStringLiteral("emoji-smile")},
        {QStringLiteral("gamecontroller"), QStringLiteral("controller")},
        {QStringLiteral("gift"), QStringLiteral("gift-fill")},
        {QStringLiteral("mappin.and.ellipse"), QStringLiteral("geo-alt-fill")},
        {QStringLiteral("mappin.circle"), QStringLiteral("geo-fill")},
        {QStringLiteral("message"), QStringLiteral("chat-fill")},
        {QStringLiteral("person.crop.circle"), QStringLiteral("person-circle")},
        {QStringLiteral("phone"), QStringLiteral("telephone-fill")},
        {QStringLiteral("play.rectangle"), QStringLiteral("play-btn-fill")},
        {QStringLiteral("play.square.stack"), QStringLiteral("collection-play-fill")},
        {QStringLiteral("star.circle"), QStringLiteral("star-fill")},
        {QStringLiteral("video"), QStringLiteral("camera-video-fill")},
    };
    return names;
}

} // namespace

namespace IconTable {

QString resourcePath(const QString &symbolName)
{
    const auto found = table().constFind(symbolName);
    if (found == table().constEnd())
        return {};
    return QStringLiteral(":/icons/") + *found + QStringLiteral(".svg");
}

QStringList symbolNames()
{
    QStringList names = table().keys();
    names.sort();
    return names;
}

QPixmap pixmap(const QString &symbolName, const QColor &tint, int size, qreal devicePixelRatio)
{
    static QHash<QString, QPixmap> cache;
    const QString key = symbolName + QLatin1Char('|') + tint.name(QColor::HexArgb) + QLatin1Char('|') +
                        QString::number(size) + QLatin1Char('|') + QString::number(devicePixelRatio);
    if (const auto cached = cache.constFind(key); cached != cache.constEnd())
        return *cached;
    const QString path = resourcePath(symbolName);
    if (path.isEmpty() || size <= 0)
        return {};
    QSvgRenderer renderer(path);
    if (!renderer.isValid())
        return {};
    const int pixels = qMax(1, qRound(size * devicePixelRatio));
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(0, 0, pixels, pixels));
    // Keep the shape, replace its colour: the icons are drawn in one colour.
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(image.rect(), tint);
    painter.end();
    QPixmap result = QPixmap::fromImage(image);
    result.setDevicePixelRatio(devicePixelRatio);
    cache.insert(key, result);
    return result;
}

QIcon icon(const QString &symbolName, const QColor &tint, int size)
{
    const QPixmap drawn = pixmap(symbolName, tint, size);
    return drawn.isNull() ? QIcon() : QIcon(drawn);
}

} // namespace IconTable
