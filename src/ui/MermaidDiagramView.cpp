#include "ui/MermaidDiagramView.h"

#include "settings/ChatStyle.h"
#include "ui/CodeBlockView.h"

#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QSvgRenderer>
#include <QVBoxLayout>

namespace M = ChatStyle::Metrics;

namespace {

constexpr qreal cornerRadius = 7;
constexpr qreal inset = 6;

} // namespace

MermaidDiagramView::MermaidDiagramView(const QString &source, const UiTheme &theme, qreal fontScale,
                                       MermaidRenderer *renderer, QWidget *parent)
    : QWidget(parent), m_source(source), m_theme(theme), m_fontScale(fontScale)
{
    setFixedHeight(int(M::mermaidHeight));
    setAccessibleName(QStringLiteral("Diagram"));
    const MermaidRenderer::Request request{source, theme.light, devicePixelRatioF()};
    // A diagram drawn before shows at once, without a placeholder.
    if (auto picture = renderer->cachedPicture(request)) {
        showPicture(*picture);
        return;
    }
    renderer->render(request, this, [this](const MermaidRenderer::Result &result) { show(result); });
}

MermaidDiagramView::~MermaidDiagramView() = default;

void MermaidDiagramView::show(const MermaidRenderer::Result &result)
{
    if (result.picture)
        showPicture(*result.picture);
    else
        showFailure(result.error);
}

void MermaidDiagramView::showPicture(const MermaidPicture &picture)
{
    m_pictureSize = picture.size;
    if (picture.isRaster()) {
        m_raster = QImage::fromData(picture.png, "PNG");
    } else {
        m_svg = std::make_unique<QSvgRenderer>(picture.svg);
        if (!m_svg->isValid())
            m_svg.reset();
    }
    if (m_raster.isNull() && !m_svg) {
        showFailure(QStringLiteral("the picture could not be read"));
        return;
    }
    m_state = State::Picture;
    update();
    emit stateChanged(m_state);
}

void MermaidDiagramView::showFailure(const QString &reason)
{
    m_state = State::Failed;
    m_raster = QImage();
    m_svg.reset();
    setMinimumHeight(0);
    setMaximumHeight(QWIDGETSIZE_MAX);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    m_note = new QLabel(this);
    // The reason may quote the diagram's own text.
    m_note->setTextFormat(Qt::PlainText);
    m_note->setText(QStringLiteral("Diagram could not be drawn: %1").arg(reason));
    m_note->setWordWrap(true);
    m_note->setFont(UiStyle::font(11 * m_fontScale));
    QPalette palette = m_note->palette();
    palette.setColor(QPalette::WindowText, m_theme.secondary());
    m_note->setPalette(palette);
    layout->addWidget(m_note);
    m_code = new CodeBlockView(QStringLiteral("mermaid"), m_source, m_fontScale, m_theme, this);
    layout->addWidget(m_code);
    m_note->show();
    m_code->show();
    updateGeometry();
    update();
    emit stateChanged(m_state);
}

QRectF MermaidDiagramView::pictureRect() const
{
    const QRectF box = QRectF(rect()).adjusted(inset, inset, -inset, -inset);
    if (m_pictureSize.isEmpty() || box.isEmpty())
        return {};
    // Never larger than the diagram's own size, smaller when the row is narrow.
    const qreal scale =
        std::min({1.0, box.width() / m_pictureSize.width(), box.height() / m_pictureSize.height()});
    QSizeF size = m_pictureSize * scale;
    return QRectF(box.center() - QPointF(size.width() / 2, size.height() / 2), size);
}

void MermaidDiagramView::paintPicture(QPainter &painter, const QRectF &target) const
{
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (!m_raster.isNull())
        painter.drawImage(target, m_raster);
    else if (m_svg)
        m_svg->render(&painter, target);
}

QImage MermaidDiagramView::renderedImage(const QSize &size) const
{
    if (m_state != State::Picture)
        return {};
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    paintPicture(painter, QRectF(QPointF(0, 0), QSizeF(size)));
    return image;
}

void MermaidDiagramView::paintEvent(QPaintEvent *)
{
    if (m_state == State::Failed)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (m_state == State::Picture) {
        paintPicture(painter, pictureRect());
        return;
    }
    // While the helper draws: the box the diagram will fill, and a word why it is empty.
    QPainterPath box;
    box.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), cornerRadius, cornerRadius);
    painter.fillPath(box, m_theme.resolve(ChatStyle::codeSurface()));
    painter.setPen(QPen(m_theme.border(), 0.6));
    painter.drawPath(box);
    painter.setPen(m_theme.secondary());
    painter.setFont(UiStyle::font(11 * m_fontScale));
    painter.drawText(rect(), Qt::AlignCenter, QStringLiteral("Drawing diagram…"));
}

#include "moc_MermaidDiagramView.cpp"
