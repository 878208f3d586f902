#include "ui/SettingsForm.h"

#include <QRegularExpression>
#include <cmath>

namespace SettingsForm {

std::optional<QString> acceptedKey(const QString &typed)
{
    const QString key = typed.trimmed();
    static const QRegularExpression whitespace(QStringLiteral("\\s"));
    if (key.isEmpty() || key.startsWith(QLatin1Char('/')) || key.contains(whitespace))
        return std::nullopt;
    return key;
}

std::optional<QString> suggestedModel(PeekabooProvider provider)
{
    switch (provider) {
    case PeekabooProvider::openaiSubscription:
        return QStringLiteral("gpt-5.6");
    case PeekabooProvider::openwebui:
        return QStringLiteral("openwebui/qwen3.5:9b");
    case PeekabooProvider::deepseek:
        return QStringLiteral("deepseek/deepseek-v4-pro");
    default:
        return std::nullopt;
    }
}

QString modelPlaceholder(PeekabooProvider provider)
{
    return suggestedModel(provider).value_or(QStringLiteral("Provider default"));
}

QString keyPlaceholder(PeekabooProvider provider, bool hasKey)
{
    const QString name = PeekabooProviders::displayName(provider);
    return hasKey ? QStringLiteral("Stored for ") + name + QStringLiteral(" — type to replace")
                  : QStringLiteral("Paste ") + name + QStringLiteral(" API key");
}

int fittedHeight(qreal fittingHeight, std::optional<int> visibleScreenHeight)
{
    const int wanted = qMax(320, int(std::ceil(fittingHeight + 20)));
    const int limit = visibleScreenHeight ? qMax(320, *visibleScreenHeight - 40) : 860;
    return qMin(wanted, limit);
}

int voiceSelection(const QStringList &identifiers, const std::optional<QString> &stored, int previous)
{
    if (stored) {
        const auto index = identifiers.indexOf(*stored);
        if (index >= 0)
            return int(index) + 1;
    }
    if (previous >= 0 && previous <= identifiers.size())
        return previous;
    return 0;
}

QString testSuccessText(const QString &reply)
{
    return QStringLiteral("✅ Works: ") + reply.trimmed().left(120);
}

} // namespace SettingsForm
