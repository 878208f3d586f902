// The body of a message row: classification first (notice, status list,
// reaction), then the render items of ordinary messages.
#include "ui/TelegramMessageRow.h"

#include "chat/AttachmentPresentation.h"
#include "chat/ChatNotice.h"
#include "chat/ReactionMessage.h"
#include "chat/RenderItems.h"
#include "chat/StatusList.h"
#include "ui/AudioPlayback.h"
#include "ui/CodeBlockView.h"
#include "ui/IconTable.h"
#include "ui/LiteralText.h"
#include "ui/MediaAttachmentPreview.h"
#include "ui/MermaidDiagramView.h"
#include "ui/MessageTextLabel.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace M = ChatStyle::Metrics;

namespace {

// Text as rich text: escaped, line breaks kept.
QString plainHtml(const QString &text)
{
    QString html = text.toHtmlEscaped();
    html.replace(QLatin1Char('\n'), QLatin1String("<br>"));
    return html;
}

// List-like text gets looser lines: each line its own paragraph.
QString spacedHtml(const QString &html, const QString &plain)
{
    const RenderItems::ParagraphSpacing spacing = RenderItems::bodySpacing(plain);
    if (spacing.paragraphSpacing <= 0)
        return html;
    QString result;
    for (const QString &line : html.split(QLatin1String("<br>")))
        result += QStringLiteral("<p style=\"margin-top:0; margin-bottom:%1px; line-height:%2%\">%3</p>")
                      .arg(spacing.paragraphSpacing)
                      .arg(100 + int(spacing.lineSpacing * 10))
                      .arg(line.isEmpty() ? QStringLiteral("&nbsp;") : line);
    return result;
}

QString colored(const QString &html, const QColor &color)
{
    return QStringLiteral("<span style=\"color:%1\">%2</span>").arg(color.name(), html);
}

} // namespace

QLabel *TelegramMessageRow::addTextView(QVBoxLayout *layout, const QString &html)
{
    auto *label = new MessageTextLabel(this);
    label->setTextFormat(Qt::RichText);
    label->setWordWrap(true);
    label->setText(html);
    label->setFont(UiStyle::font(M::body * m_context.fontScale));
    label->setTextInteractionFlags(Qt::TextBrowserInteraction);
    label->setOpenExternalLinks(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_messageBodies << label;
    layout->addWidget(label);
    return label;
}

void TelegramMessageRow::buildBody(QVBoxLayout *layout)
{
    const QString &text = m_message.text;
    const UiTheme &theme = m_context.theme;
    if (const auto notice = ChatNotice::chatNotice(text)) {
        buildNoticeBanner(layout, *notice);
        if (!notice->body.isEmpty())
            addTextView(layout, spacedHtml(plainHtml(notice->body), notice->body));
        return;
    }
    if (const auto list = StatusList::statusList(text)) {
        buildStatusList(layout, *list);
        return;
    }
    if (const auto reaction = ReactionMessage::parse(text)) {
        auto *emoji = new QLabel(this);
        emoji->setTextFormat(Qt::PlainText);
        emoji->setText(reaction->emoji);
        emoji->setFont(UiStyle::font(ReactionMessage::emojiPointSize(m_context.fontScale)));
        layout->addWidget(emoji);
        const QColor color = m_message.isOutgoing ? theme.account() : theme.text();
        QLabel *rest = addTextView(layout, colored(plainHtml(reaction->rest), color));
        rest->setFont(UiStyle::font(ReactionMessage::restPointSize(m_context.fontScale)));
        return;
    }
    buildRenderItems(layout, RenderItems::renderItems(m_message.segments));
}

void TelegramMessageRow::buildNoticeBanner(QVBoxLayout *layout, const ChatNotice &notice)
{
    const QColor tint = ChatNotice::bannerTint(
        ChatNotice::tintColor(notice.tint, m_context.theme.theme, m_context.theme.light),
        m_message.isOutgoing);
    auto *banner = new QHBoxLayout;
    banner->setSpacing(int(M::noticeSpacing));
    QLabel *badge = symbolLabel(notice.symbol, tint, M::noticeSymbol, this);
    const int badgeSize = qRound(M::noticeSymbol + 11);
    badge->setFixedSize(badgeSize, badgeSize);
    badge->setAutoFillBackground(false);
    badge->setStyleSheet(QStringLiteral("background:%1; border-radius:%2px;")
                             .arg(ChatNotice::badgeFill(tint).name(QColor::HexArgb))
                             .arg(int(M::noticeBadgeCornerRadius)));
    // A cronjob's job name comes from the bot: literal, like every text of a message.
    auto *title = new QLabel(this);
    title->setTextFormat(Qt::PlainText);
    title->setText(notice.title);
    title->setFont(UiStyle::font(M::noticeTitle * m_context.fontScale, QFont::DemiBold));
    QPalette palette = title->palette();
    palette.setColor(QPalette::WindowText, tint);
    title->setPalette(palette);
    banner->addWidget(badge, 0, Qt::AlignVCenter);
    banner->addWidget(title, 1, Qt::AlignVCenter);
    layout->addLayout(banner);
}

void TelegramMessageRow::buildStatusList(QVBoxLayout *layout, const StatusList &list)
{
    if (!list.heading.isEmpty())
        addTextView(layout, plainHtml(list.heading));
    for (const StatusList::Item &item : list.items) {
        auto *line = new QHBoxLayout;
        line->setSpacing(int(M::statusItemSpacing));
        QLabel *dot =
            symbolLabel(QStringLiteral("circle.fill"), StatusList::dotColor(item.color), M::statusDot, this);
        dot->setFixedSize(int(M::statusDotBox), int(M::statusDotBox));
        dot->setAccessibleName(QStringLiteral("Status"));
        line->addWidget(dot, 0, Qt::AlignTop | Qt::AlignHCenter);
        auto *text = new MessageTextLabel(this);
        text->setWordWrap(true);
        text->setTextFormat(Qt::RichText);
        text->setText(plainHtml(item.text));
        text->setFont(UiStyle::font(M::body * m_context.fontScale));
        text->setTextInteractionFlags(Qt::TextBrowserInteraction);
        m_messageBodies << text;
        line->addWidget(text, 1);
        layout->addLayout(line);
    }
}

void TelegramMessageRow::buildRenderItems(QVBoxLayout *layout, const QList<MessageRenderItem> &items)
{
    // Consecutive text and link segments form one text view.
    QString html;
    QString plain;
    auto flush = [&] {
        // Line breaks next to a code block or attachment are the block's own spacing.
        while (html.startsWith(QLatin1String("<br>")))
            html.remove(0, 4);
        while (html.endsWith(QLatin1String("<br>")))
            html.chop(4);
        if (!plain.trimmed().isEmpty() || html.contains(QLatin1String("<a ")))
            addTextView(layout, spacedHtml(html, plain.trimmed()));
        html.clear();
        plain.clear();
    };
    for (const MessageRenderItem &item : items) {
        if (item.kind == MessageRenderItem::Kind::linkButtons) {
            flush();
            buildLinkButtons(layout, item);
            continue;
        }
        const BotMessageSegment &segment = item.segment;
        switch (segment.kind) {
        case BotMessageSegment::Kind::Text:
            html += plainHtml(segment.text);
            plain += segment.text;
            break;
        case BotMessageSegment::Kind::Link:
            html += QStringLiteral("<a href=\"%1\" style=\"color:%2\">%3</a>")
                        .arg(segment.url.toHtmlEscaped(), m_context.theme.accent().name(),
                             segment.text.toHtmlEscaped());
            plain += segment.text;
            break;
        case BotMessageSegment::Kind::Code:
            flush();
            buildCode(layout, segment);
            break;
        case BotMessageSegment::Kind::Attachment:
            flush();
            buildAttachment(layout, segment);
            break;
        case BotMessageSegment::Kind::Media:
            flush();
            buildMedia(layout, segment);
            break;
        case BotMessageSegment::Kind::Unsupported:
            flush();
            buildUnsupported(layout);
            break;
        }
    }
    flush();
    // A message without segments still shows its text.
    if (items.isEmpty() && !m_message.text.isEmpty())
        addTextView(layout, spacedHtml(plainHtml(m_message.text), m_message.text));
}

void TelegramMessageRow::buildLinkButtons(QVBoxLayout *layout, const MessageRenderItem &item)
{
    auto *row = new QWidget(this);
    auto *buttons = new QHBoxLayout(row);
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->setSpacing(6);
    for (const LinkAction &link : item.links) {
        auto *button = new QPushButton(LiteralText::buttonTitle(link.title), row);
        button->setToolTip(LiteralText::toolTip(link.url));
        button->setFont(UiStyle::font(11 * m_context.fontScale, QFont::Medium));
        const QString url = link.url;
        connect(button, &QPushButton::clicked, this, [url] { QDesktopServices::openUrl(QUrl(url)); });
        buttons->addWidget(button);
    }
    buttons->addStretch();
    m_linkButtonRows << row;
    layout->addWidget(row);
}

void TelegramMessageRow::buildCode(QVBoxLayout *layout, const BotMessageSegment &segment)
{
    if (segment.language.compare(QLatin1String("mermaid"), Qt::CaseInsensitive) == 0 && m_context.diagrams) {
        auto *diagram = new MermaidDiagramView(segment.source, m_context.theme, m_context.fontScale,
                                               m_context.diagrams, this);
        m_diagrams << diagram;
        layout->addWidget(diagram);
        return;
    }
    auto *code =
        new CodeBlockView(segment.language, segment.source, m_context.fontScale, m_context.theme, this);
    m_codeBlocks << code;
    layout->addWidget(code);
}

void TelegramMessageRow::buildAttachment(QVBoxLayout *layout, const BotMessageSegment &segment)
{
    const int tag = m_nextTag++;
    m_attachmentSegments.insert(tag, segment);
    const QColor tint = m_context.theme.attachment();
    auto *line = new QHBoxLayout;
    line->setSpacing(6);
    line->addWidget(symbolLabel(AttachmentPresentation::symbol(segment.attachmentKind), tint,
                                14 * m_context.fontScale, this));
    auto *name = new QLabel(this);
    name->setTextFormat(Qt::PlainText);
    name->setText(segment.name);
    name->setFont(UiStyle::font(11.5 * m_context.fontScale, QFont::Medium));
    name->setTextInteractionFlags(Qt::TextSelectableByMouse);
    name->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    line->addWidget(name, 1);
    const bool active = m_context.audio && m_context.audio->isActive(audioKey(m_message, segment));
    auto *button = new QPushButton(
        AttachmentPresentation::buttonTitle(AttachmentPresentation::buttonAction(segment, active)), this);
    button->setFont(UiStyle::font(11 * m_context.fontScale, QFont::Medium));
    button->setProperty("tag", tag);
    connect(button, &QPushButton::clicked, this, [this, tag] { attachmentAction(tag); });
    m_attachmentButtons.insert(tag, button);
    line->addWidget(button);
    layout->addLayout(line);
    // A download under way is not asked for a second time.
    if (segment.transfer && segment.transfer->direction == BotFileTransfer::Direction::Download)
        button->setEnabled(false);
    if (const QString transfer = AttachmentPresentation::transferText(m_message, segment);
        !transfer.isEmpty()) {
        auto *status = new QLabel(this);
        status->setTextFormat(Qt::PlainText);
        status->setText(transfer);
        status->setWordWrap(true);
        status->setFont(UiStyle::font(11 * m_context.fontScale));
        QPalette palette = status->palette();
        palette.setColor(QPalette::WindowText, m_context.theme.secondary());
        status->setPalette(palette);
        m_transferLabels << status;
        layout->addWidget(status);
    }

    if (!AttachmentPresentation::hasLocalFile(segment))
        return;
    const QString description = AttachmentPresentation::previewDescription(segment.attachmentKind);
    if (segment.attachmentKind == BotMessageSegment::AttachmentKind::Pdf) {
        button->setAccessibleDescription(description);
        return;
    }
    if (segment.attachmentKind != BotMessageSegment::AttachmentKind::Image)
        return;
    QImageReader reader(*segment.localPath);
    reader.setAutoTransform(true);
    const QImage image = reader.read();
    if (image.isNull())
        return;
    auto *preview = new MediaAttachmentImageView(this);
    preview->setAccessibleName(description);
    preview->setToolTip(AttachmentPresentation::previewToolTip);
    preview->onActivate = [this, tag] { showImagePreview(tag); };
    const QSize initial = AttachmentPresentation::imagePreviewSize(image.size(), 240).toSize();
    preview->setFixedSize(initial.isEmpty() ? QSize(1, 1) : initial);
    preview->setScaledContents(false);
    m_imagePreviews.insert(tag, ImagePreview{preview, image});
    layout->addWidget(preview);
    updateMessageTextLayout();
}

void TelegramMessageRow::buildMedia(QVBoxLayout *layout, const BotMessageSegment &segment)
{
    auto *line = new QHBoxLayout;
    line->setSpacing(6);
    line->addWidget(symbolLabel(segment.symbol, m_context.theme.secondary(), 14 * m_context.fontScale, this));
    auto *label = new MessageTextLabel(this);
    label->setTextFormat(Qt::PlainText);
    label->setText(segment.label);
    label->setFont(UiStyle::font(M::body * m_context.fontScale));
    label->setWordWrap(true);
    line->addWidget(label, 1);
    layout->addLayout(line);
}

void TelegramMessageRow::buildUnsupported(QVBoxLayout *layout)
{
    auto *line = new QHBoxLayout;
    line->setSpacing(6);
    line->addWidget(symbolLabel(QStringLiteral("questionmark.circle"), m_context.theme.secondary(),
                                14 * m_context.fontScale, this));
    auto *label = new QLabel(QStringLiteral("Unsupported message"), this);
    label->setFont(UiStyle::font(M::body * m_context.fontScale));
    line->addWidget(label, 1);
    auto *open = new QPushButton(QStringLiteral("Open in Telegram"), this);
    open->setFont(UiStyle::font(11 * m_context.fontScale, QFont::Medium));
    connect(open, &QPushButton::clicked, this, &TelegramMessageRow::openUnsupportedMessage);
    line->addWidget(open);
    layout->addLayout(line);
}

void TelegramMessageRow::buildInlineKeyboard(QVBoxLayout *layout)
{
    for (const QList<BotInlineButton> &buttonRow : m_message.buttons) {
        if (buttonRow.isEmpty())
            continue;
        auto *row = new QWidget(this);
        auto *buttons = new QHBoxLayout(row);
        buttons->setContentsMargins(0, 0, 0, 0);
        buttons->setSpacing(6);
        for (const BotInlineButton &inlineButton : buttonRow) {
            const int tag = m_nextTag++;
            m_inlineButtons.insert(tag, inlineButton);
            auto *button = new QPushButton(LiteralText::buttonTitle(inlineButton.text), row);
            button->setFont(UiStyle::font(11.5 * m_context.fontScale, QFont::Medium));
            button->setProperty("tag", tag);
            connect(button, &QPushButton::clicked, this, [this, tag] { pressInlineButton(tag); });
            buttons->addWidget(button, 1);
        }
        m_inlineButtonRows << row;
        layout->addWidget(row);
    }
}
