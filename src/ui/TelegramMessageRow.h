#pragma once

#include "telegram/BotMessage.h"
#include "ui/UiStyle.h"

#include <QHash>
#include <QList>
#include <QPointer>
#include <QWidget>
#include <functional>

class AudioPlayback;
class CodeBlockView;
class MermaidDiagramView;
class MermaidRenderer;
class MessageSpeaker;
class MediaAttachmentPreview;
class MessageRowLayout;
class QBoxLayout;
class QLabel;
class QPushButton;
class QToolButton;
class QVBoxLayout;
struct MessageRenderItem;

// What every row of one transcript shares: the conversation, the font scale,
// the theme, and the application's one audio player, speaker and diagram renderer.
struct MessageRowContext
{
    QString chatID;
    qreal fontScale = 1.0;
    UiTheme theme;
    AudioPlayback *audio = nullptr;
    MessageSpeaker *speaker = nullptr;
    // Null: diagrams show their source as code.
    MermaidRenderer *diagrams = nullptr;
    // The horizontal inset of the row's content inside its bubble.
    qreal horizontalInset = 12;
};

// The view of one message in the transcript: header with avatar, actions and
// time; the quoted reply; the body (notice banner, status list, cronjob text,
// reaction, or the render items: text, link buttons, code, diagrams,
// attachments, media); the inline keyboard. A row never talks to Telegram:
// it reports through its callbacks.
class TelegramMessageRow : public QWidget
{
    Q_OBJECT
public:
    TelegramMessageRow(const BotMessage &message, const MessageRowContext &context,
                       QWidget *parent = nullptr);
    ~TelegramMessageRow() override;

    std::function<void(const BotMessage &)> onReply;
    std::function<void(const BotMessage &, const QString &reaction)> onReaction;
    std::function<void(const BotMessage &)> onDelete;
    std::function<void(const BotMessage &, const BotInlineButton &)> onInlineButton;
    std::function<void(const BotMessageSegment &)> onDownloadAttachment;
    std::function<void(const BotMessageSegment &)> onSaveAttachment;

    const BotMessage &message() const { return m_message; }
    QString chatID() const { return m_context.chatID; }
    qreal fontScale() const { return m_context.fontScale; }

    // Replaces the text of the row's text views (the typing animation).
    void updateThinkingText(const QString &text);
    // Re-wraps the text and re-fits previews for the row's width.
    void updateMessageTextLayout();
    void setHorizontalInset(qreal inset);

    // Button actions.
    void copyMessage();
    void toggleReadAloud();
    // The row is leaving the transcript: its speech, if any, stops at once.
    void stopReadingAloud();
    void replyToMessage();
    void reactionButtonPressed(const QString &reaction);
    void deleteMessagePressed();
    void pressInlineButton(int tag);
    void attachmentAction(int tag);
    void saveAttachment(int tag);
    void openUnsupportedMessage();

    // What tests and the transcript look at.
    QList<QLabel *> messageBodies() const { return m_messageBodies; }
    QList<CodeBlockView *> codeBlocks() const { return m_codeBlocks; }
    QList<MermaidDiagramView *> diagrams() const { return m_diagrams; }
    QPushButton *attachmentButton(int tag) const { return m_attachmentButtons.value(tag); }
    // The progress or failure lines under the attachments.
    QList<QLabel *> transferLabels() const { return m_transferLabels; }
    QToolButton *actionButton(const QString &symbol) const;
    QString visibleText() const;
    // The layout work this row has done: how often its height was computed
    // and how often its texts were laid out. A refresh that leaves the row's
    // message and width alone adds to neither.
    int heightComputations() const;
    int textLayouts() const;
    // Once the row has its width, its hint is that width and the height there:
    // Qt would otherwise measure it at a hinted width of about forty
    // characters a line, which it is never shown at, laying every text out
    // twice more on each new transcript.
    QSize sizeHint() const override;

    static bool isSyntheticID(const QString &id);
    static QString audioKey(const BotMessage &message, const BotMessageSegment &segment);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // Building, in TelegramMessageRowContent.cpp.
    void buildHeader(QVBoxLayout *layout);
    void buildQuote(QVBoxLayout *layout);
    void buildBody(QVBoxLayout *layout);
    void buildNoticeBanner(QVBoxLayout *layout, const struct ChatNotice &notice);
    void buildStatusList(QVBoxLayout *layout, const struct StatusList &list);
    void buildRenderItems(QVBoxLayout *layout, const QList<MessageRenderItem> &items);
    void buildLinkButtons(QVBoxLayout *layout, const MessageRenderItem &item);
    void buildCode(QVBoxLayout *layout, const BotMessageSegment &segment);
    void buildAttachment(QVBoxLayout *layout, const BotMessageSegment &segment);
    void buildMedia(QVBoxLayout *layout, const BotMessageSegment &segment);
    void buildUnsupported(QVBoxLayout *layout);
    void buildInlineKeyboard(QVBoxLayout *layout);
    QLabel *addTextView(QVBoxLayout *layout, const QString &html);
    QLabel *symbolLabel(const QString &symbol, const QColor &tint, qreal points, QWidget *parent);

    QToolButton *makeActionButton(const QString &symbol, const QString &description);
    void setActionButton(QToolButton *button, const QString &symbol, const QString &description);
    void refreshAudioButtons();
    void showCopied(bool copied);
    void restoreReadAloudButton();
    void showImagePreview(int tag);

    BotMessage m_message;
    MessageRowContext m_context;
    MessageRowLayout *m_bubbleLayout = nullptr;

    QHash<int, BotInlineButton> m_inlineButtons;
    QList<QWidget *> m_inlineButtonRows;
    QList<QWidget *> m_linkButtonRows;
    QList<QLabel *> m_messageBodies;
    QList<QLabel *> m_transferLabels;
    QList<CodeBlockView *> m_codeBlocks;
    QList<MermaidDiagramView *> m_diagrams;
    QList<QWidget *> m_quoteBlocks;
    QHash<int, BotMessageSegment> m_attachmentSegments;
    QHash<int, QPushButton *> m_attachmentButtons;
    QHash<int, QPointer<MediaAttachmentPreview>> m_mediaPreviews;
    QHash<int, QPointer<QWidget>> m_pdfPreviews;
    struct ImagePreview
    {
        QLabel *view = nullptr;
        QImage image;
    };
    QHash<int, ImagePreview> m_imagePreviews;
    QHash<QString, QToolButton *> m_actionButtons;
    QToolButton *m_copyButton = nullptr;
    QToolButton *m_readAloudButton = nullptr;
    int m_nextTag = 1;
};
