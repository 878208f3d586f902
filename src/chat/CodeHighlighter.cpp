#include "chat/CodeHighlighter.h"

#include <QRegularExpression>
#include <array>

namespace CodeHighlighter {

namespace {

struct Pattern
{
    QRegularExpression expression;
    Role role;
};

const std::array<Pattern, 4> &patterns()
{
    static const std::array<Pattern, 4> all{{
        {QRegularExpression(
             QStringLiteral("\\b(def|class|for|while|if|elif|else|in|return|import|from|as|try|"
                            "except|with|lambda|True|False|None)\\b")),
         Role::keyword},
        {QRegularExpression(QStringLiteral("\\b\\d+(?:\\.\\d+)?\\b")), Role::number},
        {QRegularExpression(QStringLiteral(R"re((?:"(?:\\.|[^"\\])*"|'(?:\\.|[^'\\])*'))re")), Role::string},
        {QRegularExpression(QStringLiteral("(?m)#.*$")), Role::comment},
    }};
    return all;
}

} // namespace

QList<Range> ranges(const QString &source)
{
    QList<Range> result;
    for (const Pattern &pattern : patterns()) {
        // A pattern that failed to compile leaves the code uncoloured by it.
        if (!pattern.expression.isValid())
            continue;
        QRegularExpressionMatchIterator it = pattern.expression.globalMatch(source);
        while (it.hasNext()) {
            const QRegularExpressionMatch match = it.next();
            if (match.capturedLength() > 0)
                result << Range{match.capturedStart(), match.capturedLength(), pattern.role};
        }
    }
    return result;
}

QList<std::optional<Role>> characterRoles(const QString &source)
{
    QList<std::optional<Role>> roles(source.size());
    for (const Range &range : ranges(source)) {
        for (qsizetype i = range.start; i < range.start + range.length && i < roles.size(); ++i)
            roles[i] = range.role;
    }
    return roles;
}

const ColorPair &color(Role role)
{
    switch (role) {
    case Role::keyword:
        return ChatStyle::codeKeyword();
    case Role::number:
        return ChatStyle::codeNumber();
    case Role::string:
        return ChatStyle::codeString();
    case Role::comment:
        return ChatStyle::secondary();
    }
    return ChatStyle::codeText();
}

const ColorPair &baseColor()
{
    return ChatStyle::codeText();
}

} // namespace CodeHighlighter
