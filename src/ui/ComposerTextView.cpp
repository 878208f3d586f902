#include "ui/ComposerTextView.h"

#include "chat/ComposerInput.h"
#include "chat/ComposerKeys.h"
#include "chat/ComposerTokens.h"
#include "ui/SkillCompletionController.h"

#include <QAbstractTextDocumentLayout>
#include <QDragEnterEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QSyntaxHighlighter>
#include <QTextBlock>

namespace {

// Colours the tokens of each line: commands in the accent, mentions in the account colour.
class TokenHighlighter : public QSyntaxHighlighter
{
public:
    explicit TokenHighlighter(QTextDocument *document) : QSyntaxHighlighter(document) {}
    UiTheme theme;

protected:
    void highlightBlock(const QString &text) override
    {
        for (const ComposerTokens::Token &token : ComposerTokens::tokens(text)) {
            QTextCharFormat format;
            format.setForeground(theme.resolve(ComposerTokens::color(token.role, theme.theme)));
            setFormat(int(token.start), int(token.length), format);
        }
    }
};

} // namespace

ComposerTextView::ComposerTextView(QWidget *parent) : QTextEdit(parent)
{
    setAcceptRichText(false);
    setFrameShape(QFrame::NoFrame);
    setFont(UiStyle::font(ChatStyle::Metrics::inputText));
    document()->setDocumentMargin(ComposerInput::textContainerInset);
    setPlaceholderText(ComposerInput::placeholder(std::nullopt));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setAcceptDrops(true);
    setTabChangesFocus(true);
    m_highlighter = new TokenHighlighter(document());
    // The highlighter recolours each edited line by itself.
    connect(this, &QTextEdit::textChanged, this, [this] { updateSkillCompletion(); });
}

ComposerTextView::~ComposerTextView() = default;

void ComposerTextView::setPlaceholderString(const QString &text)
{
    setPlaceholderText(text);
}

void ComposerTextView::setTheme(const UiTheme &theme)
{
    static_cast<TokenHighlighter *>(m_highlighter)->theme = theme;
    QPalette palette = this->palette();
    palette.setColor(QPalette::Base, theme.composer());
    palette.setColor(QPalette::Text, theme.text());
    palette.setColor(QPalette::PlaceholderText, theme.secondary());
    setPalette(palette);
    applyTokenHighlighting();
}

void ComposerTextView::applyTokenHighlighting()
{
    // The highlighter's own format changes report as edits; do not recurse.
    if (m_isHighlighting)
        return;
    m_isHighlighting = true;
    m_highlighter->rehighlight();
    m_isHighlighting = false;
}

void ComposerTextView::updateSkillCompletion()
{
    emit skillCompletionRequested(toPlainText().left(textCursor().position()));
    if (!skillCompletion || !skillNameProvider || textCursor().hasSelection())
        return;
    const auto query = ComposerTokens::skillQuery(toPlainText(), textCursor().position());
    const QStringList names = query ? skillNameProvider(query->prefix) : QStringList();
    if (names.isEmpty()) {
        skillCompletion->hide();
        skillTokenRange.reset();
        return;
    }
    skillTokenRange = std::pair(query->start, query->length);
    const QRect caret = cursorRect();
    skillCompletion->show(names, QRect(viewport()->mapToGlobal(caret.topLeft()), caret.size()));
}

void ComposerTextView::commitSkill(const QString &name)
{
    if (!skillTokenRange)
        return;
    const auto [start, length] = *skillTokenRange;
    skillTokenRange.reset();
    if (skillCompletion)
        skillCompletion->hide();
    const auto edit = ComposerTokens::commitSkill(toPlainText(), start, length, name);
    if (!edit)
        return;
    // Through the cursor, so the choice is one step of the undo history.
    QTextCursor cursor = textCursor();
    cursor.setPosition(int(edit->start));
    cursor.setPosition(int(edit->start + edit->length), QTextCursor::KeepAnchor);
    cursor.insertText(edit->inserted);
    setTextCursor(cursor);
    applyTokenHighlighting();
}

bool ComposerTextView::event(QEvent *event)
{
    // While the popup shows, its keys go to it; Tab included, before focus moves on.
    if (event->type() == QEvent::KeyPress && skillCompletion && skillCompletion->isVisible()) {
        const auto *key = static_cast<QKeyEvent *>(event);
        switch (ComposerKeys::skillPopupAction(key->key())) {
        case ComposerKeys::PopupAction::commit:
            if (const auto name = skillCompletion->highlightedName()) {
                commitSkill(*name);
                return true;
            }
            break;
        case ComposerKeys::PopupAction::dismiss:
            skillCompletion->hide();
            skillTokenRange.reset();
            return true;
        case ComposerKeys::PopupAction::moveDown:
            skillCompletion->move(1);
            return true;
        case ComposerKeys::PopupAction::moveUp:
            skillCompletion->move(-1);
            return true;
        case ComposerKeys::PopupAction::none:
            break;
        }
    }
    return QTextEdit::event(event);
}

void ComposerTextView::focusOutEvent(QFocusEvent *event)
{
    if (skillCompletion)
        skillCompletion->hide();
    QTextEdit::focusOutEvent(event);
}

qreal ComposerTextView::messageInputHeight() const
{
    const qreal line = QFontMetricsF(font()).height();
    QTextDocument *doc = document();
    doc->setTextWidth(qMax<qreal>(1, viewport()->width()));
    const qreal used = toPlainText().isEmpty() ? 0 : doc->size().height() - 2 * doc->documentMargin();
    return ComposerInput::messageInputHeight(used, line);
}

void ComposerTextView::keyPressEvent(QKeyEvent *event)
{
    switch (ComposerKeys::returnAction(event->key(), event->modifiers())) {
    case ComposerKeys::ReturnAction::insertLineBreak:
        insertPlainText(QStringLiteral("\n"));
        return;
    case ComposerKeys::ReturnAction::runAsMacTask:
        emit runAsMacTaskRequested();
        return;
    case ComposerKeys::ReturnAction::send:
        emit sendRequested();
        return;
    case ComposerKeys::ReturnAction::notReturn:
        break;
    }
    if (event->matches(QKeySequence::Paste)) {
        paste();
        return;
    }
    QTextEdit::keyPressEvent(event);
}

void ComposerTextView::mousePressEvent(QMouseEvent *event)
{
    emit activated();
    QTextEdit::mousePressEvent(event);
}

QUrl ComposerTextView::fileURL(const QMimeData *source)
{
    if (!source || !source->hasUrls())
        return {};
    for (const QUrl &url : source->urls()) {
        if (url.isLocalFile())
            return url;
    }
    return {};
}

QImage ComposerTextView::image(const QMimeData *source)
{
    if (!source)
        return {};
    if (source->hasImage()) {
        const QImage image = qvariant_cast<QImage>(source->imageData());
        if (!image.isNull())
            return image;
    }
    for (const char *format : {"image/png", "image/tiff"}) {
        const QByteArray data = source->data(QString::fromLatin1(format));
        if (!data.isEmpty()) {
            const QImage image = QImage::fromData(data);
            if (!image.isNull())
                return image;
        }
    }
    return {};
}

bool ComposerTextView::canInsertFromMimeData(const QMimeData *source) const
{
    return fileURL(source).isValid() || !image(source).isNull() || QTextEdit::canInsertFromMimeData(source);
}

void ComposerTextView::insertFromMimeData(const QMimeData *source)
{
    if (const QUrl url = fileURL(source); url.isValid() && onPasteFile) {
        onPasteFile(url);
        return;
    }
    if (const QImage picture = image(source); !picture.isNull() && onPasteImage) {
        onPasteImage(picture);
        return;
    }
    if (source && source->hasText())
        insertPlainText(source->text());
}

void ComposerTextView::dragEnterEvent(QDragEnterEvent *event)
{
    if (fileURL(event->mimeData()).isValid()) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
        return;
    }
    QTextEdit::dragEnterEvent(event);
}

void ComposerTextView::dragMoveEvent(QDragMoveEvent *event)
{
    if (fileURL(event->mimeData()).isValid()) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
        return;
    }
    QTextEdit::dragMoveEvent(event);
}

void ComposerTextView::dropEvent(QDropEvent *event)
{
    if (const QUrl url = fileURL(event->mimeData()); url.isValid() && onPasteFile) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
        onPasteFile(url);
        return;
    }
    QTextEdit::dropEvent(event);
}

#include "moc_ComposerTextView.cpp"
