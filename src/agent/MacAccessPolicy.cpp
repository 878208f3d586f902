#include "agent/MacAccessPolicy.h"

#include <QtGlobal>

namespace MacAccessPolicy {

const QRegularExpression &writePattern()
{
    // A function-local static is initialised exactly once, even when first
    // reached from two threads at the same time.
    static const QRegularExpression pattern = [] {
        QRegularExpression re(
            QStringLiteral(
                R"(\b(click|double|right|type|press|drag|drop|open|launch|quit|close|save|write|create|delete|remove|)"
                R"(move|rename|copy|paste|install|uninstall|run|execute|send|post|upload|set|change|edit|modify|)"
                R"(toggle|enable|disable|kill|restart|shutdown|sleep|lock|format|chmod|chown|mkdir|rm|sudo|trash|)"
                R"(compress|extract|download)\b)"),
            QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
        if (!re.isValid())
            qFatal("The acting-verb pattern does not compile: %s", qPrintable(re.errorString()));
        // Compile now, so that later matches from any thread only read it.
        re.optimize();
        return re;
    }();
    return pattern;
}

std::optional<QString> firstWriteVerb(const QString &task)
{
    const QRegularExpressionMatch match = writePattern().match(task);
    if (!match.hasMatch())
        return std::nullopt;
    const QString verb = match.hasCaptured(1) ? match.captured(1) : match.captured(0);
    return verb.toLower();
}

QString refusalText(const QString &verb)
{
    return QStringLiteral("Read-only access is on, so I won't run a task that could change this Mac (\"") +
           verb + QStringLiteral("\"). Switch Mac access to Full access in the app if you want it to act.");
}

std::optional<QString> readOnlyRefusal(const MacRequest &request, MacAccessLevel level)
{
    if (level != MacAccessLevel::readOnly)
        return std::nullopt;
    if (request.action.isSystem())
        return QStringLiteral("System actions need Full access. Mac access is read only.");
    if (const auto verb = firstWriteVerb(request.action.task))
        return refusalText(*verb);
    return std::nullopt;
}

} // namespace MacAccessPolicy
