#include "ui/TelegramMessageRow.h"

#include "chat/AttachmentPresentation.h"
#include "chat/MessageTime.h"
#include "chat/ReactionMessage.h"
#include "chat/TypingIndicator.h"
#include "speech/MessageSpeaker.h"
#include "speech/ReadAloudText.h"
#include "ui/AudioPlayback.h"
#include "ui/CodeBlockView.h"
#include "ui/IconTable.h"
#include "ui/MediaAttachmentPreview.h"
#include "ui/MediaModule.h"
#include "ui/MessageTextLabel.h"
#include "ui/RoundedBox.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTextDocument>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

namespace M = ChatStyle::Metrics;

namespace {
constexpr qreal bubbleRadius = 10;
constexpr int bubblePaddingV = 8;
// A part of the row holding wrapped text: hinted at its own width once it has
// one, as the row is (see TelegramMessageRow::sizeHint).
// A part holding wrapped text is hinted at its own width once it has one (see
// TelegramMessageRow::sizeHint); before, at its parts' hints, without
// measuring wrapped text at a made-up width.
QSize hintAtOwnWidth(const QWidget &part)
{
    if (part.testAttribute(Qt::WA_Resized) && part.width() > 0)
        return QSize(part.width(), part.heightForWidth(part.width()));
    return part.layout() ? part.layout()->sizeHint() : QSize();
}

class WrappedPart : public QWidget
{
public:
    using QWidget::QWidget;
    QSize sizeHint() const override { return hintAtOwnWidth(*this); }
};

} // namespace

// The row's column of parts. The transcript asks every row for its height on
// each layout pass, at two widths when its scroll bar comes or goes; Qt's box
// layout remembers one width only. The answers are kept until a part of the
// row changes.
class MessageRowLayout : public QVBoxLayout
{
public:
    using QVBoxLayout::QVBoxLayout;

    int heightForWidth(int width) const override
    {
        const auto found = m_heights.constFind(width);
        if (found != m_heights.cend())
            return found.value();
        if (m_heights.size() >= 16)
            m_heights.clear();
        const int height = QVBoxLayout::heightForWidth(width);
        ++m_heightComputations;
        m_heights.insert(width, height);
        return height;
    }
    // A row is never squeezed below its content. The transcript lays its
    // column out once in the old height before it grows; rows that could
    // shrink (a code block can) would be squeezed for that pass and every row
    // below them moved twice.
    int minimumHeightForWidth(int width) const override { return heightForWidth(width); }
    void invalidate() override
    {
        m_heights.clear();
        QVBoxLayout::invalidate();
    }
    int heightComputations() const { return m_heightComputations; }

private:
    mutable QHash<int, int> m_heights;
    mutable int m_heightComputations = 0;
};

TelegramMessageRow::TelegramMessageRow(const BotMessage &message, const MessageRowContext &context,
                                       QWidget *parent)
    : QWidget(parent), m_message(message), m_context(context)
{
    // The row paints every pixel it covers (the corners outside the bubble in
    // the transcript's colour), so Qt moves it on screen by copying it: when
    // the oldest message leaves, the rows below move up without repainting.
    setAttribute(Qt::WA_OpaquePaintEvent);
    auto *outer = new MessageRowLayout(this);
    const int inset = qRound(context.horizontalInset);
    outer->setContentsMargins(inset, bubblePaddingV, inset, bubblePaddingV);
    outer->setSpacing(6);
    m_bubbleLayout = outer;

    QPalette textPalette = palette();
    textPalette.setColor(QPalette::WindowText, context.theme.text());
    textPalette.setColor(QPalette::Text, context.theme.text());
    textPalette.setColor(QPalette::Link, context.theme.accent());
    setPalette(textPalette);

    buildHeader(outer);
    buildQuote(outer);
    buildBody(outer);
    buildInlineKeyboard(outer);

    if (context.audio)
        connect(context.audio, &AudioPlayback::stateChanged, this, &TelegramMessageRow::refreshAudioButtons);
}

TelegramMessageRow::~TelegramMessageRow()
{
    // A discarded row takes its speech with it; shared audio keeps playing.
    stopReadingAloud();
    for (const auto &preview : std::as_const(m_mediaPreviews))
        delete preview.data();
    for (const auto &preview : std::as_const(m_pdfPreviews))
        delete preview.data();
}

bool TelegramMessageRow::isSyntheticID(const QString &id)
{
    return id == TypingIndicator::typingItemID || id == TypingIndicator::macProgressItemID;
}

QString TelegramMessageRow::audioKey(const BotMessage &message, const BotMessageSegment &segment)
{
    return message.id + QLatin1Char('/') + segment.fileID + QLatin1Char('/') +
           segment.localPath.value_or(QString());
}

void TelegramMessageRow::buildHeader(QVBoxLayout *layout)
{
    auto *header = new QHBoxLayout;
    header->setSpacing(2);
    const bool outgoing = m_message.isOutgoing;
    const QColor avatarTint = outgoing ? m_context.theme.account() : m_context.theme.accent();
    QLabel *avatar = symbolLabel(outgoing ? QStringLiteral("person.fill") : QStringLiteral("sparkles"),
                                 avatarTint, 14 * m_context.fontScale, this);
    avatar->setAccessibleName(outgoing ? QStringLiteral("Your message") : QStringLiteral("Bot message"));
    header->addWidget(avatar);
    header->addSpacing(4);
    header->addStretch();

    if (!isSyntheticID(m_message.id)) {
        m_copyButton = makeActionButton(QStringLiteral("doc.on.doc"), QStringLiteral("Copy message"));
        connect(m_copyButton, &QToolButton::clicked, this, &TelegramMessageRow::copyMessage);
        m_readAloudButton =
            makeActionButton(QStringLiteral("speaker.wave.2"), QStringLiteral("Read message aloud"));
        connect(m_readAloudButton, &QToolButton::clicked, this, &TelegramMessageRow::toggleReadAloud);
        QToolButton *quote =
            makeActionButton(QStringLiteral("arrowshape.turn.up.left"), QStringLiteral("Quote this message"));
        connect(quote, &QToolButton::clicked, this, &TelegramMessageRow::replyToMessage);
        QToolButton *up =
            makeActionButton(QStringLiteral("hand.thumbsup.fill"), QStringLiteral("Send thumbs up"));
        connect(up, &QToolButton::clicked, this, [this] { reactionButtonPressed(QuickReaction::thumbsUp); });
        QToolButton *down =
            makeActionButton(QStringLiteral("hand.thumbsdown.fill"), QStringLiteral("Send thumbs down"));
        connect(down, &QToolButton::clicked, this,
                [this] { reactionButtonPressed(QuickReaction::thumbsDown); });
        QToolButton *remove = makeActionButton(QStringLiteral("trash"), QStringLiteral("Delete message"));
        connect(remove, &QToolButton::clicked, this, &TelegramMessageRow::deleteMessagePressed);
        for (QToolButton *button : {m_copyButton, m_readAloudButton, quote, up, down, remove})
            header->addWidget(button);
        if (m_context.speaker && m_context.speaker->isSpeaking(this))
            setActionButton(m_readAloudButton, QStringLiteral("stop.fill"), QStringLiteral("Stop reading"));
    }

    const QString time = MessageTime::shortTime(m_message.date);
    if (!time.isEmpty()) {
        auto *timeLabel = new QLabel(this);
        timeLabel->setTextFormat(Qt::PlainText);
        timeLabel->setText(time);
        // Digits of equal width, so times line up from row to row.
        timeLabel->setFont(UiStyle::monospaceFont(M::time * m_context.fontScale * 0.95));
        QPalette palette = timeLabel->palette();
        palette.setColor(QPalette::WindowText, m_context.theme.secondary());
        timeLabel->setPalette(palette);
        header->addSpacing(4);
        header->addWidget(timeLabel);
    }
    layout->addLayout(header);
}

void TelegramMessageRow::buildQuote(QVBoxLayout *layout)
{
    if (!m_message.reply)
        return;
    auto *quote = new WrappedPart(this);
    auto *quoteLayout = new QVBoxLayout(quote);
    quoteLayout->setContentsMargins(9, 2, 0, 2);
    quoteLayout->setSpacing(1);
    QColor tint = m_message.isOutgoing ? m_context.theme.account() : m_context.theme.text();
    tint.setAlphaF(float(M::quoteOpacity));
    QPalette palette = quote->palette();
    palette.setColor(QPalette::WindowText, tint);
    quote->setPalette(palette);
    auto *author = new QLabel(quote);
    author->setTextFormat(Qt::PlainText);
    author->setText(m_message.reply->author);
    author->setFont(UiStyle::font(M::quoteAuthor * m_context.fontScale, QFont::DemiBold));
    auto *text = new MessageTextLabel(quote);
    text->setFont(UiStyle::font(M::quoteText * m_context.fontScale));
    text->setWordWrap(true);
    text->setTextFormat(Qt::PlainText);
    // At most two lines: the rest is cut at a word.
    const QStringList lines = m_message.reply->text.split(QLatin1Char('\n'));
    text->setText(lines.mid(0, 2).join(QLatin1Char('\n')));
    text->setMaximumHeight(QFontMetrics(text->font()).lineSpacing() * 2 + 2);
    quoteLayout->addWidget(author);
    quoteLayout->addWidget(text);
    quote->setProperty("accent", tint);
    m_quoteBlocks << quote;
    layout->addWidget(quote);
}

QLabel *TelegramMessageRow::symbolLabel(const QString &symbol, const QColor &tint, qreal points,
                                        QWidget *parent)
{
    auto *label = new QLabel(parent);
    const QPixmap pixmap = IconTable::pixmap(symbol, tint, qRound(points));
    if (!pixmap.isNull())
        label->setPixmap(pixmap);
    label->setFixedSize(qRound(points) + 2, qRound(points) + 2);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

QToolButton *TelegramMessageRow::makeActionButton(const QString &symbol, const QString &description)
{
    auto *button = new QToolButton(this);
    button->setAutoRaise(true);
    button->setFixedSize(int(M::actionButton), int(M::actionButton));
    button->setFocusPolicy(Qt::NoFocus);
    setActionButton(button, symbol, description);
    m_actionButtons.insert(symbol, button);
    return button;
}

void TelegramMessageRow::setActionButton(QToolButton *button, const QString &symbol,
                                         const QString &description)
{
    const QIcon icon = IconTable::icon(symbol, m_context.theme.secondary(), int(M::actionSymbol));
    // A missing symbol leaves the button with its text.
    button->setIcon(icon);
    button->setIconSize(QSize(int(M::actionSymbol), int(M::actionSymbol)));
    button->setToolButtonStyle(icon.isNull() ? Qt::ToolButtonTextOnly : Qt::ToolButtonIconOnly);
    button->setText(description);
    button->setToolTip(description);
    button->setAccessibleName(description);
    button->setProperty("symbol", symbol);
}

QToolButton *TelegramMessageRow::actionButton(const QString &symbol) const
{
    return m_actionButtons.value(symbol);
}

void TelegramMessageRow::updateThinkingText(const QString &text)
{
    for (QLabel *body : std::as_const(m_messageBodies))
        body->setText(text.toHtmlEscaped());
    updateGeometry();
}

QString TelegramMessageRow::visibleText() const
{
    QStringList parts;
    for (QLabel *body : m_messageBodies) {
        QTextDocument document;
        document.setHtml(body->text());
        parts << document.toPlainText();
    }
    return parts.join(QLatin1Char('\n'));
}

int TelegramMessageRow::heightComputations() const
{
    return m_bubbleLayout->heightComputations();
}

QSize TelegramMessageRow::sizeHint() const
{
    return hintAtOwnWidth(*this);
}

int TelegramMessageRow::textLayouts() const
{
    int layouts = 0;
    for (const MessageTextLabel *text : findChildren<MessageTextLabel *>())
        layouts += text->textLayouts();
    return layouts;
}

void TelegramMessageRow::setHorizontalInset(qreal inset)
{
    if (qFuzzyCompare(inset, m_context.horizontalInset))
        return;
    m_context.horizontalInset = inset;
    const int pixels = qRound(inset);
    m_bubbleLayout->setContentsMargins(pixels, bubblePaddingV, pixels, bubblePaddingV);
    update();
}

void TelegramMessageRow::updateMessageTextLayout()
{
    const qreal available = width() - 2 * m_context.horizontalInset;
    if (available <= 0)
        return;
    for (auto it = m_imagePreviews.cbegin(); it != m_imagePreviews.cend(); ++it) {
        const QSizeF size = AttachmentPresentation::imagePreviewSize(it->image.size(), available);
        const QSize pixels = size.toSize();
        if (pixels.isEmpty() || it->view->size() == pixels)
            continue;
        const qreal ratio = devicePixelRatioF();
        QPixmap scaled = QPixmap::fromImage(
            it->image.scaled(pixels * ratio, Qt::KeepAspectRatio, Qt::SmoothTransformation));
        scaled.setDevicePixelRatio(ratio);
        it->view->setPixmap(scaled);
        it->view->setFixedSize(pixels);
    }
}

void TelegramMessageRow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    updateMessageTextLayout();
}

void TelegramMessageRow::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    RoundedBox bubble;
    bubble.radius = bubbleRadius;
    bubble.fill = m_context.theme.bubble(m_message.isOutgoing);
    bubble.border = m_context.theme.border();
    bubble.borderWidth = 0.6;
    bubble.background = m_context.theme.transcript();
    bubble.paint(painter, rect());
    // Quote blocks carry an accent strip on their left.
    for (QWidget *quote : std::as_const(m_quoteBlocks)) {
        const QRect area = quote->geometry();
        painter.fillRect(QRectF(area.left(), area.top() + 1, 3, area.height() - 2),
                         quote->property("accent").value<QColor>());
    }
}

void TelegramMessageRow::copyMessage()
{
    QClipboard *clipboard = QApplication::clipboard();
    if (!clipboard || !m_copyButton)
        return;
    clipboard->setText(m_message.text);
    showCopied(true);
    QPointer<TelegramMessageRow> self(this);
    QTimer::singleShot(M::copiedFeedbackMs, this, [self] {
        if (self)
            self->showCopied(false);
    });
}

void TelegramMessageRow::showCopied(bool copied)
{
    if (copied)
        setActionButton(m_copyButton, QStringLiteral("checkmark"), QStringLiteral("Copied"));
    else
        setActionButton(m_copyButton, QStringLiteral("doc.on.doc"), QStringLiteral("Copy message"));
}

void TelegramMessageRow::toggleReadAloud()
{
    MessageSpeaker *speaker = m_context.speaker;
    if (!speaker || !m_readAloudButton)
        return;
    if (speaker->isSpeaking(this)) {
        speaker->stop();
        return;
    }
    const QString spoken = ReadAloudText::plain(m_message.text);
    if (spoken.isEmpty())
        return;
    setActionButton(m_readAloudButton, QStringLiteral("stop.fill"), QStringLiteral("Stop reading"));
    QPointer<TelegramMessageRow> self(this);
    speaker->speak(spoken, this, [self] {
        if (self)
            self->restoreReadAloudButton();
    });
}

void TelegramMessageRow::stopReadingAloud()
{
    if (m_context.speaker)
        m_context.speaker->release(this);
}

void TelegramMessageRow::restoreReadAloudButton()
{
    if (m_readAloudButton)
        setActionButton(m_readAloudButton, QStringLiteral("speaker.wave.2"),
                        QStringLiteral("Read message aloud"));
}

void TelegramMessageRow::replyToMessage()
{
    if (onReply)
        onReply(m_message);
}

void TelegramMessageRow::reactionButtonPressed(const QString &reaction)
{
    if (onReaction)
        onReaction(m_message, reaction);
}

void TelegramMessageRow::deleteMessagePressed()
{
    if (onDelete)
        onDelete(m_message);
}

void TelegramMessageRow::pressInlineButton(int tag)
{
    const auto found = m_inlineButtons.constFind(tag);
    if (found != m_inlineButtons.constEnd() && onInlineButton)
        onInlineButton(m_message, *found);
}

void TelegramMessageRow::attachmentAction(int tag)
{
    const auto found = m_attachmentSegments.constFind(tag);
    if (found == m_attachmentSegments.constEnd())
        return;
    const BotMessageSegment segment = *found;
    if (!AttachmentPresentation::hasLocalFile(segment)) {
        if (onDownloadAttachment)
            onDownloadAttachment(segment);
        return;
    }
    switch (segment.attachmentKind) {
    case BotMessageSegment::AttachmentKind::Pdf: {
        QPointer<QWidget> &preview = m_pdfPreviews[tag];
        if (!preview) {
            preview = MediaModule::pdfPreview(*segment.localPath, segment.name, nullptr);
            // The system's viewer may read what ours cannot (or is missing).
            if (!preview) {
                QDesktopServices::openUrl(QUrl::fromLocalFile(*segment.localPath));
                break;
            }
            preview->setPalette(palette());
        }
        preview->show();
        preview->raise();
        preview->activateWindow();
        break;
    }
    case BotMessageSegment::AttachmentKind::Document:
    case BotMessageSegment::AttachmentKind::Image:
        saveAttachment(tag);
        break;
    case BotMessageSegment::AttachmentKind::Audio:
        if (m_context.audio)
            m_context.audio->toggle(audioKey(m_message, segment), *segment.localPath);
        break;
    }
}

void TelegramMessageRow::saveAttachment(int tag)
{
    const auto found = m_attachmentSegments.constFind(tag);
    if (found != m_attachmentSegments.constEnd() && AttachmentPresentation::hasLocalFile(*found) &&
        onSaveAttachment)
        onSaveAttachment(*found);
}

void TelegramMessageRow::showImagePreview(int tag)
{
    const auto segment = m_attachmentSegments.constFind(tag);
    const auto image = m_imagePreviews.constFind(tag);
    if (segment == m_attachmentSegments.constEnd() || image == m_imagePreviews.constEnd())
        return;
    QPointer<MediaAttachmentPreview> &preview = m_mediaPreviews[tag];
    if (!preview) {
        preview = new MediaAttachmentPreview(image->image, segment->name);
        preview->setPalette(palette());
    }
    preview->show();
    preview->raise();
    preview->activateWindow();
}

void TelegramMessageRow::openUnsupportedMessage()
{
    if (const auto url = AttachmentPresentation::unsupportedMessageURL(m_context.chatID, m_message.id))
        QDesktopServices::openUrl(QUrl(*url));
}

void TelegramMessageRow::refreshAudioButtons()
{
    for (auto it = m_attachmentSegments.cbegin(); it != m_attachmentSegments.cend(); ++it) {
        if (it->attachmentKind != BotMessageSegment::AttachmentKind::Audio)
            continue;
        QPushButton *button = m_attachmentButtons.value(it.key());
        if (!button)
            continue;
        const bool active = m_context.audio && m_context.audio->isActive(audioKey(m_message, *it));
        button->setText(
            AttachmentPresentation::buttonTitle(AttachmentPresentation::buttonAction(*it, active)));
    }
}

#include "moc_TelegramMessageRow.cpp"
