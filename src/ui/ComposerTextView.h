#pragma once

#include "ui/UiStyle.h"

#include <QImage>
#include <QPointer>
#include <QTextEdit>
#include <QUrl>
#include <functional>
#include <optional>
#include <utility>

class QSyntaxHighlighter;
class SkillCompletionController;

// The composer's input: plain text with a placeholder, live colouring of
// "/mac", "@skill" and "$name" tokens, Return to send (Shift-Return for a
// line break, Control-Return to run the draft as a Mac task), and pasting or
// dropping files and images.
class ComposerTextView : public QTextEdit
{
    Q_OBJECT
public:
    explicit ComposerTextView(QWidget *parent = nullptr);
    ~ComposerTextView() override;

    std::function<void(const QImage &)> onPasteImage;
    std::function<void(const QUrl &)> onPasteFile;

    // The "@skill" completion popup and the names it offers for a lower-cased prefix.
    QPointer<SkillCompletionController> skillCompletion;
    std::function<QStringList(const QString &)> skillNameProvider;
    // From the "@" to the caret, while a completion is offered: start and length.
    std::optional<std::pair<qsizetype, qsizetype>> skillTokenRange;

    void setPlaceholderString(const QString &text);
    QString placeholderString() const { return placeholderText(); }
    void setTheme(const UiTheme &theme);

    void applyTokenHighlighting();
    // Skill completion is offered from here; the popup attaches to this hook.
    virtual void updateSkillCompletion();
    // Replaces the token being completed by "@" + name + " ".
    void commitSkill(const QString &name);
    // Visible exactly when the text is empty (drawn by the text edit itself).
    bool isPlaceholderVisible() const { return toPlainText().isEmpty(); }

    // The height that fits the text: two to five lines.
    qreal messageInputHeight() const;

signals:
    void sendRequested();
    void runAsMacTaskRequested();
    void skillCompletionRequested(const QString &textBeforeCaret);
    void activated();

protected:
    bool event(QEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    bool canInsertFromMimeData(const QMimeData *source) const override;
    void insertFromMimeData(const QMimeData *source) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    static QUrl fileURL(const QMimeData *source);
    static QImage image(const QMimeData *source);

    QSyntaxHighlighter *m_highlighter;
    bool m_isHighlighting = false;
};
