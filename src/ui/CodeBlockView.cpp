#include "ui/CodeBlockView.h"

#include "chat/CodeHighlighter.h"
#include "ui/IconTable.h"
#include "ui/MessageTextLabel.h"
#include "ui/RoundedBox.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>

namespace M = ChatStyle::Metrics;

CodeBlockView::CodeBlockView(const QString &language, const QString &source, qreal fontScale,
                             const UiTheme &theme, QWidget *parent)
    : QFrame(parent), m_source(source), m_theme(theme), m_fontScale(fontScale)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto *header = new QWidget(this);
    header->setFixedHeight(qRound(M::codeHeaderHeight * fontScale));
    auto *headerLayout = new QHBoxLayout(header);
    headerLayout->setContentsMargins(10, 0, 4, 0);
    auto *languageLabel = new QLabel(header);
    languageLabel->setTextFormat(Qt::PlainText);
    languageLabel->setText(language.isEmpty() ? QStringLiteral("code") : language);
    languageLabel->setFont(UiStyle::font(10.5 * fontScale, QFont::DemiBold));
    QPalette labelPalette = languageLabel->palette();
    labelPalette.setColor(QPalette::WindowText, theme.secondary());
    languageLabel->setPalette(labelPalette);
    m_copyButton = new QToolButton(header);
    m_copyButton->setAutoRaise(true);
    m_copyButton->setToolButtonStyle(Qt::ToolButtonIconOnly);
    showCopied(false);
    connect(m_copyButton, &QToolButton::clicked, this, &CodeBlockView::copyCode);
    headerLayout->addWidget(languageLabel);
    headerLayout->addStretch();
    headerLayout->addWidget(m_copyButton);
    layout->addWidget(header);

    m_code = new MessageTextLabel(this);
    m_code->setObjectName(QStringLiteral("codeText"));
    m_code->setTextFormat(Qt::RichText);
    m_code->setText(highlightedHtml(source, theme));
    m_code->setFont(UiStyle::monospaceFont(11 * fontScale));
    m_code->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_code->setWordWrap(false);
    m_code->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_code->setContentsMargins(10, 8, 10, 8);
    m_code->setMinimumHeight(qRound((M::codeMinimumHeight)*fontScale));
    // Long lines scroll sideways inside the block rather than widening the row.
    m_scroll = new CodeScrollArea(this);
    m_scroll->setWidget(m_code);
    // The block paints its own surface behind the code.
    m_code->setAutoFillBackground(false);
    // A slim bar in the theme's colours, as the block's own.
    QColor handle = theme.secondary();
    handle.setAlphaF(0.55f);
    m_scroll->horizontalScrollBar()->setStyleSheet(
        QStringLiteral(
            "QScrollBar:horizontal { height: 8px; background: transparent; margin: 0 8px 3px 8px; }"
            "QScrollBar::handle:horizontal { background: %1; border-radius: 2px; min-width: 24px; }"
            "QScrollBar::add-line:horizontal, QScrollBar::sub-line:horizontal { width: 0; }"
            "QScrollBar::add-page:horizontal, QScrollBar::sub-page:horizontal { background: none; }")
            .arg(handle.name(QColor::HexArgb)));
    layout->addWidget(m_scroll);
    setAccessibleName(QStringLiteral("Code"));
}

QScrollBar *CodeBlockView::horizontalScrollBar() const
{
    return m_scroll->horizontalScrollBar();
}

QWidget *CodeBlockView::codeViewport() const
{
    return m_scroll->viewport();
}

CodeScrollArea::CodeScrollArea(QWidget *parent) : QScrollArea(parent)
{
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    viewport()->setAutoFillBackground(false);
    horizontalScrollBar()->setAccessibleName(QStringLiteral("Scroll code sideways"));
}

QSize CodeScrollArea::codeSize() const
{
    return widget()->sizeHint().expandedTo(widget()->minimumSize());
}

bool CodeScrollArea::needsScrollBar(int width) const
{
    return widget() && codeSize().width() > width - 2 * frameWidth();
}

void CodeScrollArea::fitHeight()
{
    if (!widget())
        return;
    // The whole code shows; only a line wider than the block adds the scroll bar below it.
    int height = codeSize().height() + 2 * frameWidth();
    if (needsScrollBar(width()))
        height += horizontalScrollBar()->sizeHint().height();
    if (height != this->height() || minimumHeight() != height)
        setFixedHeight(height);
}

void CodeScrollArea::resizeEvent(QResizeEvent *event)
{
    QScrollArea::resizeEvent(event);
    fitHeight();
}

bool CodeScrollArea::event(QEvent *event)
{
    if (event->type() == QEvent::LayoutRequest || event->type() == QEvent::Polish)
        fitHeight();
    return QScrollArea::event(event);
}

void CodeScrollArea::wheelEvent(QWheelEvent *event)
{
    // A sideways wheel, or Shift with the wheel, moves the code; an upright
    // wheel belongs to the transcript around it and goes on to it.
    const QPoint angle = event->angleDelta();
    const QPoint pixels = event->pixelDelta();
    const bool shifted = event->modifiers() & Qt::ShiftModifier;
    int angleDelta = 0;
    int pixelDelta = 0;
    if (qAbs(angle.x()) > qAbs(angle.y()) || (angle.isNull() && qAbs(pixels.x()) > qAbs(pixels.y()))) {
        angleDelta = angle.x();
        pixelDelta = pixels.x();
    } else if (shifted) {
        angleDelta = angle.y();
        pixelDelta = pixels.y();
    }
    if (angleDelta == 0 && pixelDelta == 0) {
        event->ignore();
        return;
    }
    QScrollBar *bar = horizontalScrollBar();
    const int step = pixelDelta != 0
                         ? pixelDelta
                         : angleDelta * QApplication::wheelScrollLines() * bar->singleStep() / 120;
    bar->setValue(bar->value() - step);
    event->accept();
}

QString CodeBlockView::highlightedHtml(const QString &source, const UiTheme &theme)
{
    const auto roles = CodeHighlighter::characterRoles(source);
    const QString base = theme.resolve(CodeHighlighter::baseColor()).name();
    QString html = QStringLiteral("<pre style=\"margin:0; color:%1\">").arg(base);
    qsizetype i = 0;
    while (i < source.size()) {
        auto roleAt = [&roles](qsizetype at) {
            return at < roles.size() ? roles[at] : std::optional<CodeHighlighter::Role>();
        };
        const std::optional<CodeHighlighter::Role> role = roleAt(i);
        qsizetype end = i + 1;
        while (end < source.size() && roleAt(end) == role)
            ++end;
        const QString run = source.mid(i, end - i).toHtmlEscaped();
        if (role)
            html += QStringLiteral("<span style=\"color:%1\">%2</span>")
                        .arg(theme.resolve(CodeHighlighter::color(*role)).name(), run);
        else
            html += run;
        i = end;
    }
    html += QStringLiteral("</pre>");
    return html;
}

void CodeBlockView::copyCode()
{
    QClipboard *clipboard = QApplication::clipboard();
    if (!clipboard)
        return;
    clipboard->setText(m_source);
    showCopied(true);
    QPointer<CodeBlockView> self(this);
    QTimer::singleShot(M::copiedFeedbackMs, this, [self] {
        if (self)
            self->showCopied(false);
    });
}

void CodeBlockView::showCopied(bool copied)
{
    const QString symbol = copied ? QStringLiteral("checkmark") : QStringLiteral("doc.on.doc");
    const QString tip = copied ? QStringLiteral("Copied") : QStringLiteral("Copy code");
    const QIcon icon = IconTable::icon(symbol, m_theme.secondary(), qRound(M::codeCopySymbol * m_fontScale));
    m_copyButton->setIcon(icon);
    m_copyButton->setToolButtonStyle(icon.isNull() ? Qt::ToolButtonTextOnly : Qt::ToolButtonIconOnly);
    m_copyButton->setText(tip);
    m_copyButton->setToolTip(tip);
    m_copyButton->setAccessibleName(tip);
}

void CodeBlockView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    RoundedBox box;
    box.radius = M::codeCornerRadius;
    box.fill = m_theme.resolve(ChatStyle::codeSurface());
    box.border = m_theme.border();
    box.borderWidth = M::codeBorderWidth;
    box.header = m_theme.resolve(ChatStyle::codeHeader());
    box.headerHeight = qRound(M::codeHeaderHeight * m_fontScale);
    box.paint(painter, rect());
}

#include "moc_CodeBlockView.cpp"
