#pragma once

#include <QList>
#include <QString>

// The fixed symbols and texts of a message row's header, so the row only
// lays them out.
namespace MessageRowActions {

enum class Action { copy, readAloud, quote, thumbsUp, thumbsDown, deleteMessage };

struct Button
{
    Action action;
    QString symbol;
    // Tool tip and accessibility label.
    QString description;
    // What the symbol image is described as, when it differs from the description.
    QString symbolDescription;
    // The reaction sent, for the two reaction buttons.
    QString reaction;
};

// In the order they appear.
const QList<Button> &buttons();

struct Avatar
{
    QString symbol;
    QString description;
};
Avatar avatar(bool isOutgoing);

// Feedback after copying, shown for ChatStyle::Metrics::copiedFeedbackMs.
inline const QString copiedSymbol = QStringLiteral("checkmark");
inline const QString copiedText = QStringLiteral("Copied");
// The read-aloud button while speaking.
inline const QString stopReadingSymbol = QStringLiteral("stop.fill");
inline const QString stopReadingText = QStringLiteral("Stop reading");

// The copy button of a code block.
inline const QString copyCodeText = QStringLiteral("Copy code");
// The header of a code block without a language.
QString codeHeaderTitle(const QString &language);
// Code in this language is drawn as a diagram instead of a code box.
bool isDiagram(const QString &language);

// The question asked before deleting, and how far the deletion reaches:
// the user's own messages are removed for everyone, the bot's only here.
struct DeleteConfirmation
{
    QString message;
    QString informativeText;
    QString cancelButton;
    QString deleteButton;
    bool forEveryone = false;
};
DeleteConfirmation deleteConfirmation(bool isOutgoing);
inline const QString deletedStatusText = QStringLiteral("Message deleted.");

} // namespace MessageRowActions
