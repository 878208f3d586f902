#include "chat/ComposerTokens.h"

#include <QRegularExpression>

namespace ComposerTokens {

QList<Token> tokens(const QString &text)
{
    static const QRegularExpression pattern(
        QStringLiteral("(?<![A-Za-z0-9._%+-])(/mac\\b|[@$][A-Za-z0-9][A-Za-z0-9-]*)"));
    QList<Token> result;
    QRegularExpressionMatchIterator it = pattern.globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        const QString token = match.captured(1);
        result << Token{match.capturedStart(1), match.capturedLength(1),
                        token.startsWith(QLatin1Char('/')) ? Role::command : Role::mention};
    }
    return result;
}

ColorPair color(Role role, AppTheme theme)
{
    return role == Role::command ? theme.botColors() : theme.accountColors();
}

std::optional<SkillQuery> skillQuery(const QString &text, qsizetype caret)
{
    static const QRegularExpression pattern(QStringLiteral("(?<![A-Za-z0-9._%+-])@([A-Za-z0-9-]*)$"));
    if (caret < 0 || caret > text.size())
        return std::nullopt;
    const QString before = text.left(caret);
    const QRegularExpressionMatch match = pattern.match(before);
    // "$" also matches before a final line break; the token must end at the caret.
    if (!match.hasMatch() || match.capturedEnd(0) != caret)
        return std::nullopt;
    return SkillQuery{match.capturedStart(0), match.capturedLength(0), match.captured(1).toLower()};
}

std::optional<Edit> commitSkill(const QString &text, qsizetype start, qsizetype length, const QString &name)
{
    if (start < 0 || length < 0 || start + length > text.size())
        return std::nullopt;
    return Edit{start, length, QLatin1Char('@') + name + QLatin1Char(' ')};
}

} // namespace ComposerTokens
