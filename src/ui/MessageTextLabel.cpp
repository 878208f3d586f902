#include "ui/MessageTextLabel.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QStyleOption>
#include <QTextDocument>
#include <QtMath>

namespace {
// A layout pass asks for a few widths (with and without a scroll bar, the
// font-scale steps); more than this many means the width is being dragged.
constexpr int rememberedHeights = 16;
} // namespace

MessageTextLabel::MessageTextLabel(QWidget *parent) : QLabel(parent)
{
}

MessageTextLabel::~MessageTextLabel() = default;

bool MessageTextLabel::usesDocument() const
{
    if (text().isNull())
        return false;
    // The cases in which QLabel itself keeps a text document.
    const Qt::TextFormat format = textFormat();
    const bool rich = format == Qt::RichText || (format == Qt::AutoText && Qt::mightBeRichText(text()));
    const bool selectable =
        textInteractionFlags() & (Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    return format != Qt::MarkdownText && (rich || selectable);
}

void MessageTextLabel::syncWithContent() const
{
    if (m_synced && text() == m_text && font() == m_font)
        return;
    m_synced = true;
    m_text = text();
    m_font = font();
    for (Layout &layout : m_layouts)
        layout = Layout();
    m_heights.clear();
}

std::unique_ptr<QTextDocument> MessageTextLabel::makeDocument() const
{
    // Set up as QLabel sets up its own, so both lay the text out alike.
    auto document = std::make_unique<QTextDocument>();
    document->setUndoRedoEnabled(false);
    document->setDefaultFont(font());
    document->setDocumentMargin(0);
    QTextOption option = document->defaultTextOption();
    option.setAlignment(alignment());
    option.setWrapMode(wordWrap() ? QTextOption::WordWrap : QTextOption::ManualWrap);
    document->setDefaultTextOption(option);
    const Qt::TextFormat format = textFormat();
    if (format == Qt::RichText || (format == Qt::AutoText && Qt::mightBeRichText(text())))
        document->setHtml(text());
    else
        document->setPlainText(text());
    return document;
}

int MessageTextLabel::shownTextWidth() const
{
    if (!testAttribute(Qt::WA_Resized))
        return -1;
    return contentsRect().width() - 2 * margin();
}

QTextDocument *MessageTextLabel::documentFor(int textWidth) const
{
    Layout *chosen = nullptr;
    for (Layout &layout : m_layouts) {
        if (layout.document && layout.width == textWidth)
            chosen = &layout;
    }
    if (!chosen) {
        // Keep the layout the label is painted from; else replace the older one.
        const int shown = shownTextWidth();
        Layout &first = m_layouts[0];
        Layout &second = m_layouts[1];
        if (first.width == shown)
            chosen = &second;
        else if (second.width == shown)
            chosen = &first;
        else
            chosen = first.used <= second.used ? &first : &second;
        if (!chosen->document)
            chosen->document = makeDocument();
        chosen->document->setTextWidth(textWidth);
        // The layout happens when its size is first asked for.
        chosen->document->size();
        chosen->width = textWidth;
        ++m_textLayouts;
    }
    chosen->used = ++m_uses;
    return chosen->document.get();
}

int MessageTextLabel::heightForWidth(int width) const
{
    // Unwrapped text is as tall at any width.
    if (!wordWrap())
        return sizeHint().height();
    syncWithContent();
    const auto found = m_heights.constFind(width);
    if (found != m_heights.cend())
        return found.value();
    if (m_heights.size() >= rememberedHeights)
        m_heights.clear();
    int height = 0;
    if (usesDocument()) {
        const QMargins margins = contentsMargins();
        const int extra = 2 * margin();
        const QTextDocument *text = documentFor(qMax(width - extra - margins.left() - margins.right(), 0));
        height = qCeil(text->size().height()) + extra + margins.top() + margins.bottom();
        height = qMax(height, minimumHeight());
    } else {
        height = QLabel::heightForWidth(width);
        ++m_textLayouts;
    }
    m_heights.insert(width, height);
    m_lastWidth = width;
    return height;
}

QSize MessageTextLabel::minimumSizeHint() const
{
    // Unwrapped text (code) is as wide as its longest line; what scrolls it
    // sideways needs that width.
    return wordWrap() ? QSize(0, 0) : sizeHint();
}

QSize MessageTextLabel::sizeHint() const
{
    if (!wordWrap()) {
        syncWithContent();
        if (!usesDocument())
            return QLabel::sizeHint();
        const QSizeF natural = documentFor(-1)->size();
        const QMargins margins = contentsMargins();
        const int extra = 2 * margin();
        return QSize(
            qCeil(natural.width()) + extra + margins.left() + margins.right(),
            qMax(qCeil(natural.height()) + extra + margins.top() + margins.bottom(), minimumHeight()));
    }
    // The layout asks for the height per width; before it has asked, one
    // line of about forty characters is hint enough and lays nothing out.
    if (m_lastWidth > 0)
        return QSize(m_lastWidth, heightForWidth(m_lastWidth));
    return QSize(fontMetrics().averageCharWidth() * 40, fontMetrics().lineSpacing());
}

bool MessageTextLabel::paintsWithTextControl() const
{
    return hasFocus() || hasSelectedText();
}

void MessageTextLabel::paintEvent(QPaintEvent *event)
{
    if (!usesDocument() || paintsWithTextControl()) {
        QLabel::paintEvent(event);
        return;
    }
    syncWithContent();
    QPainter painter(this);
    drawFrame(&painter);
    const int inset = margin();
    const QRect area = contentsRect().adjusted(inset, inset, -inset, -inset);
    // Unwrapped text is laid out once, at its natural width.
    QTextDocument *text = documentFor(wordWrap() ? area.width() : -1);
    const qreal textHeight = text->size().height();
    qreal top = area.top();
    if (alignment() & Qt::AlignVCenter)
        top += qMax((area.height() - textHeight) / 2, qreal(0));
    else if (alignment() & Qt::AlignBottom)
        top += qMax(area.height() - textHeight, qreal(0));

    // The colours QLabel gives its text.
    QStyleOption option;
    option.initFrom(this);
    QAbstractTextDocumentLayout::PaintContext context;
    context.palette = option.palette;
    if (foregroundRole() != QPalette::Text && isEnabled())
        context.palette.setColor(QPalette::Text, context.palette.color(foregroundRole()));
    painter.translate(area.left(), top);
    painter.setClipRect(QRectF(0, 0, area.width(), area.height()));
    text->documentLayout()->draw(&painter, context);
}

#include "moc_MessageTextLabel.cpp"
