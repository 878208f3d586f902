#pragma once

#include "agent/PeekabooProvider.h"

#include <QString>
#include <QStringList>
#include <optional>

// The settings window's rules that need no widget: what the fields show and
// what the user's input is worth.
namespace SettingsForm {

inline const QString keyRefusal = QStringLiteral("Enter the provider key only.");

// The key as it is stored: trimmed; none (refused) when empty, starting with
// "/" (a chat command pasted by mistake) or still containing whitespace.
std::optional<QString> acceptedKey(const QString &typed);

// The model shown when none is stored, for the providers whose default the
// tool does not know by itself.
std::optional<QString> suggestedModel(PeekabooProvider provider);
QString modelPlaceholder(PeekabooProvider provider);
QString keyPlaceholder(PeekabooProvider provider, bool hasKey);

// The window's content height: fitting + 20, rounded up, at least 320, at
// most the screen's visible height − 40 (860 without a screen).
int fittedHeight(qreal fittingHeight, std::optional<int> visibleScreenHeight);

// The voice pop-up's selection: 0 is "Best available", i + 1 the i-th listed
// voice. The stored voice when listed, else the previous selection while
// still valid, else "Best available".
int voiceSelection(const QStringList &identifiers, const std::optional<QString> &stored, int previous);

// "✅ Works: " and the first 120 characters of the trimmed reply.
QString testSuccessText(const QString &reply);

} // namespace SettingsForm
