#include "agent/PeekabooProvider.h"

namespace PeekabooProviders {

namespace {

struct Row
{
    PeekabooProvider provider;
    const char *raw;
    const char *displayName;
    const char *variable;
    const char *defaultModel; // nullptr: none
};

// clang-format off
constexpr std::array<Row, 12> rows{{
    {PeekabooProvider::openai, "openai", "OpenAI", "OPENAI_API_KEY", nullptr},
    {PeekabooProvider::openaiSubscription, "openaiSubscription", "OpenAI (ChatGPT sign-in)", "OPENAI_API_KEY",
     "gpt-5.6"},
    {PeekabooProvider::anthropic, "anthropic", "Anthropic", "ANTHROPIC_API_KEY", nullptr},
    {PeekabooProvider::openrouter, "openrouter", "OpenRouter", "OPENROUTER_API_KEY", nullptr},
    {PeekabooProvider::gemini, "gemini", "Google Gemini", "GEMINI_API_KEY", nullptr},
    {PeekabooProvider::groq, "groq", "Groq", "GROQ_API_KEY", nullptr},
    {PeekabooProvider::mistral, "mistral", "Mistral", "MISTRAL_API_KEY", nullptr},
    {PeekabooProvider::minimax, "minimax", "MiniMax", "MINIMAX_API_KEY", nullptr},
    {PeekabooProvider::moonshot, "moonshot", "Moonshot (Kimi)", "MOONSHOT_API_KEY", nullptr},
    {PeekabooProvider::together, "together", "Together AI", "TOGETHER_API_KEY", nullptr},
    {PeekabooProvider::deepseek, "deepseek", "DeepSeek", "DEEPSEEK_API_KEY", "deepseek/deepseek-v4-pro"},
    {PeekabooProvider::openwebui, "openwebui", "Open WebUI", "OPENWEBUI_API_KEY", "openwebui/qwen3.5:9b"},
}};
// clang-format on

const Row &row(PeekabooProvider provider)
{
    for (const Row &r : rows) {
        if (r.provider == provider)
            return r;
    }
    return rows.front();
}

} // namespace

QString rawValue(PeekabooProvider provider)
{
    return QString::fromLatin1(row(provider).raw);
}

std::optional<PeekabooProvider> fromRawValue(const QString &raw)
{
    for (const Row &r : rows) {
        if (raw == QLatin1String(r.raw))
            return r.provider;
    }
    return std::nullopt;
}

QString displayName(PeekabooProvider provider)
{
    return QString::fromLatin1(row(provider).displayName);
}

QString environmentVariable(PeekabooProvider provider)
{
    return QString::fromLatin1(row(provider).variable);
}

std::optional<QString> defaultModel(PeekabooProvider provider)
{
    if (const char *model = row(provider).defaultModel)
        return QString::fromLatin1(model);
    return std::nullopt;
}

bool needsStoredKey(PeekabooProvider provider)
{
    return provider != PeekabooProvider::openaiSubscription;
}

std::optional<PeekabooCustomProvider> customProvider(PeekabooProvider provider)
{
    switch (provider) {
    case PeekabooProvider::deepseek:
        return PeekabooCustomProvider{QStringLiteral("deepseek"), QStringLiteral("DeepSeek"),
                                      deepSeekBaseURL};
    case PeekabooProvider::openwebui:
        return PeekabooCustomProvider{QStringLiteral("openwebui"), QStringLiteral("Open Web UI"),
                                      openWebUIBaseURL};
    default:
        return std::nullopt;
    }
}

std::optional<QString> normalizedModel(const QString &model, PeekabooProvider provider)
{
    const QString trimmed = model.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    if (customProvider(provider) && !trimmed.contains(u'/'))
        return rawValue(provider) + u'/' + trimmed;
    return trimmed;
}

} // namespace PeekabooProviders
