#include "ui/ComposerView.h"

#include "ui/RecordingWaveformView.h"

#include "chat/ComposerInput.h"
#include "ui/ComposerTextView.h"
#include "ui/IconTable.h"
#include "ui/LiteralText.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QToolButton>
#include <QVBoxLayout>

namespace M = ChatStyle::Metrics;

namespace {
constexpr int buttonSize = 26;
constexpr int buttonSymbol = 13;

// The rounded surface around the input and its buttons. Painted rather than
// styled: a style sheet here would freeze the input's palette at the first theme.
class InputBoxFrame : public QWidget
{
public:
    using QWidget::QWidget;
    QColor fill;
    QColor border;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(border, 1));
        painter.setBrush(fill);
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 12, 12);
    }
};
} // namespace

ComposerView::ComposerView(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 6, 10, 10);
    layout->setSpacing(6);

    m_replyBar = new QWidget(this);
    auto *replyLayout = new QHBoxLayout(m_replyBar);
    replyLayout->setContentsMargins(0, 0, 0, 0);
    replyLayout->setSpacing(8);
    m_replyAccent = new QWidget(m_replyBar);
    m_replyAccent->setFixedWidth(3);
    m_replyAccent->setAutoFillBackground(true);
    auto *texts = new QVBoxLayout;
    texts->setSpacing(1);
    m_replyHeading = new QLabel(m_replyBar);
    m_replyHeading->setTextFormat(Qt::PlainText);
    // The quoted message's text, as it is.
    m_replyPreview = new QLabel(m_replyBar);
    m_replyPreview->setTextFormat(Qt::PlainText);
    m_replyPreview->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    texts->addWidget(m_replyHeading);
    texts->addWidget(m_replyPreview);
    m_cancelReply = makeButton(QStringLiteral("xmark"), QStringLiteral("Cancel reply"), false);
    m_buttons.removeOne(m_cancelReply);
    m_cancelReply->setParent(m_replyBar);
    connect(m_cancelReply, &QToolButton::clicked, this, &ComposerView::clearReply);
    replyLayout->addWidget(m_replyAccent);
    replyLayout->addLayout(texts, 1);
    replyLayout->addWidget(m_cancelReply);
    m_replyBar->hide();
    layout->addWidget(m_replyBar);

    m_inputBox = new InputBoxFrame(this);
    auto *boxLayout = new QHBoxLayout(m_inputBox);
    boxLayout->setContentsMargins(8, 6, 6, 6);
    boxLayout->setSpacing(4);
    m_input = new ComposerTextView(m_inputBox);
    connect(m_input, &ComposerTextView::sendRequested, this, &ComposerView::sendRequested);
    connect(m_input, &ComposerTextView::runAsMacTaskRequested, this, &ComposerView::runAsMacTaskRequested);
    connect(m_input, &QTextEdit::textChanged, this, [this] { updateComposerInputHeight(); });
    boxLayout->addWidget(m_input, 1);

    auto *buttons = new QVBoxLayout;
    buttons->setSpacing(2);
    auto *topButtons = new QHBoxLayout;
    auto *bottomButtons = new QHBoxLayout;
    QToolButton *attach = makeButton(QStringLiteral("paperclip"), QStringLiteral("Attach a file"), true);
    QToolButton *record = makeButton(QStringLiteral("mic"), QStringLiteral("Record voice message"), true);
    QToolButton *clear = makeButton(QStringLiteral("trash"), QStringLiteral("Clear message draft"), false);
    QToolButton *retry =
        makeButton(QStringLiteral("arrow.clockwise"), QStringLiteral("Retry last message"), false);
    QToolButton *send = makeButton(QStringLiteral("arrow.up"), QStringLiteral("Send message"), true);
    retry->setEnabled(false);
    connect(attach, &QToolButton::clicked, this, &ComposerView::attachRequested);
    connect(record, &QToolButton::clicked, this, &ComposerView::recordRequested);
    connect(clear, &QToolButton::clicked, this, [this] {
        clearInput();
        clearReply();
    });
    connect(retry, &QToolButton::clicked, this, &ComposerView::retryRequested);
    connect(send, &QToolButton::clicked, this, &ComposerView::sendRequested);
    topButtons->addWidget(attach);
    topButtons->addWidget(record);
    topButtons->addWidget(clear);
    m_waveform = new RecordingWaveformView(this);
    bottomButtons->addWidget(m_waveform);
    bottomButtons->addStretch();
    bottomButtons->addWidget(retry);
    bottomButtons->addWidget(send);
    buttons->addLayout(topButtons);
    buttons->addStretch();
    buttons->addLayout(bottomButtons);
    boxLayout->addLayout(buttons);
    layout->addWidget(m_inputBox);

    setTheme(m_theme);
    setFontScale(1.0);
    updateComposerInputHeight();
}

QToolButton *ComposerView::makeButton(const QString &symbol, const QString &toolTip, bool circular)
{
    auto *button = new QToolButton(this);
    button->setFixedSize(buttonSize, buttonSize);
    button->setAutoRaise(!circular);
    button->setToolTip(toolTip);
    button->setAccessibleName(toolTip);
    button->setText(toolTip);
    button->setProperty("symbol", symbol);
    button->setProperty("circular", circular);
    button->setFocusPolicy(Qt::NoFocus);
    m_buttons << button;
    return button;
}

QToolButton *ComposerView::button(const QString &symbol) const
{
    if (symbol == QLatin1String("xmark"))
        return m_cancelReply;
    for (QToolButton *button : m_buttons) {
        if (button->property("symbol").toString() == symbol)
            return button;
    }
    return nullptr;
}

void ComposerView::refreshButtonIcons()
{
    for (QToolButton *button : std::as_const(m_buttons) + QList<QToolButton *>{m_cancelReply}) {
        const QString symbol = button->property("symbol").toString();
        QColor tint = m_theme.secondary();
        if (symbol == QLatin1String("paperclip") || symbol == QLatin1String("mic") ||
            symbol == QLatin1String("stop.fill"))
            tint = m_theme.attachment();
        else if (symbol == QLatin1String("arrow.clockwise"))
            tint = m_theme.retry();
        else if (symbol == QLatin1String("arrow.up"))
            tint = m_theme.light ? QColor(Qt::white) : m_theme.window();
        const QIcon icon = IconTable::icon(symbol, tint, buttonSymbol);
        button->setIcon(icon);
        button->setIconSize(QSize(buttonSymbol, buttonSymbol));
        button->setToolButtonStyle(icon.isNull() ? Qt::ToolButtonTextOnly : Qt::ToolButtonIconOnly);
        if (button->property("circular").toBool()) {
            const QColor fill =
                symbol == QLatin1String("arrow.up") ? m_theme.accent() : m_theme.buttonSurface();
            button->setStyleSheet(
                QStringLiteral("QToolButton { background:%1; border:none; border-radius:%2px; }"
                               "QToolButton:disabled { background:%3; }")
                    .arg(fill.name())
                    .arg(buttonSize / 2)
                    .arg(m_theme.border().name()));
        }
    }
}

QString ComposerView::text() const
{
    return m_input->toPlainText();
}

void ComposerView::clearInput()
{
    m_input->clear();
    updateComposerInputHeight();
}

void ComposerView::beginReply(const BotMessage &message)
{
    m_replyTarget = message;
    refreshReplyBar();
    m_replyBar->show();
    m_input->setFocus();
}

void ComposerView::clearReply()
{
    m_replyTarget.reset();
    m_replyBar->hide();
}

bool ComposerView::isReplyBarVisible() const
{
    return !m_replyBar->isHidden();
}

QString ComposerView::replyHeading() const
{
    return m_replyHeading->text();
}

QString ComposerView::replyPreview() const
{
    return m_replyTarget ? ComposerInput::replyPreview(*m_replyTarget) : QString();
}

void ComposerView::refreshReplyBar()
{
    if (!m_replyTarget)
        return;
    const QColor tint = m_replyTarget->isOutgoing ? m_theme.account() : m_theme.accent();
    m_replyHeading->setText(ComposerInput::replyHeading(*m_replyTarget));
    QPalette headingPalette = m_replyHeading->palette();
    headingPalette.setColor(QPalette::WindowText, tint);
    m_replyHeading->setPalette(headingPalette);
    UiStyle::setBackground(m_replyAccent, tint);
    const QString preview = ComposerInput::replyPreview(*m_replyTarget);
    m_replyPreview->setText(QFontMetrics(m_replyPreview->font())
                                .elidedText(preview, Qt::ElideRight, qMax(40, m_replyPreview->width())));
    m_replyPreview->setToolTip(LiteralText::toolTip(preview));
}

void ComposerView::setRetryEnabled(bool enabled)
{
    button(QStringLiteral("arrow.clockwise"))->setEnabled(enabled);
}

bool ComposerView::isRetryEnabled() const
{
    return button(QStringLiteral("arrow.clockwise"))->isEnabled();
}

void ComposerView::setPlaceholderString(const QString &text)
{
    m_input->setPlaceholderString(text);
}

void ComposerView::setHoverCollapsed(bool collapsed)
{
    m_hoverCollapsed = collapsed;
    updateComposerInputHeight();
}

void ComposerView::updateComposerInputHeight()
{
    const qreal height = ComposerInput::constraintHeight(m_input->messageInputHeight(), m_hoverCollapsed);
    m_input->setFixedHeight(qCeil(height));
}

int ComposerView::inputHeight() const
{
    return m_input->height();
}

void ComposerView::setRecording(bool recording)
{
    const QString idle = QStringLiteral("mic");
    const QString stop = QStringLiteral("stop.fill");
    QToolButton *mic = button(recording ? idle : stop);
    if (mic) {
        const QString text =
            recording ? QStringLiteral("Stop recording and send") : QStringLiteral("Record voice message");
        mic->setProperty("symbol", recording ? stop : idle);
        mic->setToolTip(text);
        mic->setAccessibleName(text);
        mic->setText(text);
        refreshButtonIcons();
    }
    m_waveform->setLevel(0, 0);
    m_waveform->setVisible(recording);
}

bool ComposerView::isRecording() const
{
    return m_waveform->isVisible() || button(QStringLiteral("stop.fill"));
}

void ComposerView::setTheme(const UiTheme &theme)
{
    m_theme = theme;
    m_waveform->setTheme(theme);
    UiStyle::setBackground(this, theme.window());
    auto *box = static_cast<InputBoxFrame *>(m_inputBox);
    box->fill = theme.composer();
    box->border = theme.border();
    box->update();
    m_input->setTheme(theme);
    QPalette previewPalette = m_replyPreview->palette();
    previewPalette.setColor(QPalette::WindowText, theme.text());
    m_replyPreview->setPalette(previewPalette);
    refreshButtonIcons();
    refreshReplyBar();
}

void ComposerView::setFontScale(qreal scale)
{
    m_fontScale = scale;
    m_input->setFont(UiStyle::font(M::inputText * scale));
    m_replyHeading->setFont(UiStyle::font(M::replyHeading * scale, QFont::DemiBold));
    m_replyPreview->setFont(UiStyle::font(M::replyPreview * scale, QFont::Medium));
    refreshReplyBar();
    updateComposerInputHeight();
}

void ComposerView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    refreshReplyBar();
    updateComposerInputHeight();
}

#include "moc_ComposerView.cpp"
