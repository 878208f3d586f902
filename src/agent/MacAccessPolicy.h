#pragma once

#include "agent/MacAccessLevel.h"
#include "agent/MacCommandParser.h"

#include <QRegularExpression>
#include <QString>
#include <optional>

// Decides which tasks may run under read-only access. The check is a plain
// list of acting verbs, not language understanding, and errs on the side of
// refusing.
namespace MacAccessPolicy {

// The acting verbs as whole words, case-insensitive; group 1 is the verb.
// Compiled once on first use (safe from any thread), then only read.
const QRegularExpression &writePattern();

// The first acting verb in a task, lower-cased, or none.
std::optional<QString> firstWriteVerb(const QString &task);

// The refusal for a task that contains the given verb.
QString refusalText(const QString &verb);

// The refusal for a request under a level, or none when it may run. Only
// read-only access refuses anything here: callers turn "off" away earlier.
std::optional<QString> readOnlyRefusal(const MacRequest &request, MacAccessLevel level);

} // namespace MacAccessPolicy
