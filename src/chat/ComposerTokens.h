#pragma once

#include "settings/AppTheme.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// Live colouring of the composer's "/mac" command and "@skill" / "$name"
// tokens, and the "@" token that skill completion works on. A token may not
// follow a letter, digit or one of "._%+-", so an e-mail address colours nothing.
namespace ComposerTokens {

enum class Role { command, mention };

struct Token
{
    qsizetype start = 0;
    qsizetype length = 0;
    Role role = Role::command;

    friend bool operator==(const Token &, const Token &) = default;
};

// Every token of the text, in order; offsets are UTF-16 indexes.
QList<Token> tokens(const QString &text);

// Commands in the theme's accent, mentions in the account colour.
ColorPair color(Role role, AppTheme theme);

struct SkillQuery
{
    // From the "@" to the caret.
    qsizetype start = 0;
    qsizetype length = 0;
    // The name typed so far, lower-cased, as the skill name provider wants it.
    QString prefix;

    friend bool operator==(const SkillQuery &, const SkillQuery &) = default;
};

// The "@" token that ends at the caret, if any.
std::optional<SkillQuery> skillQuery(const QString &text, qsizetype caret);

// Choosing a skill replaces the "@" token by "@" + name + " "; the caret
// goes after the inserted text.
struct Edit
{
    qsizetype start = 0;
    qsizetype length = 0;
    QString inserted;

    friend bool operator==(const Edit &, const Edit &) = default;
};

// The edit for the token at start/length of text; nothing when that range no
// longer fits the text (it was edited meanwhile).
std::optional<Edit> commitSkill(const QString &text, qsizetype start, qsizetype length, const QString &name);

} // namespace ComposerTokens
