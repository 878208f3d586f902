#pragma once

#include <QString>
#include <array>
#include <optional>

// The AI model providers the agent can use. Stored by raw value.
enum class PeekabooProvider {
    openai,
    openaiSubscription,
    anthropic,
    openrouter,
    gemini,
    groq,
    mistral,
    minimax,
    moonshot,
    together,
    deepseek,
    openwebui,
};

// A provider the tool does not know by itself and that is registered with it
// as an OpenAI-compatible one before use.
struct PeekabooCustomProvider
{
    QString identifier;
    QString name;
    QString baseURL;
};

namespace PeekabooProviders {

// DeepSeek's public OpenAI-compatible interface.
inline const QString deepSeekBaseURL = QStringLiteral("https://api.deepseek.com/v1");
// A default Open WebUI server on this computer.
inline const QString openWebUIBaseURL = QStringLiteral("http://localhost:3000/api");

inline constexpr std::array<PeekabooProvider, 12> all{
    PeekabooProvider::openai,    PeekabooProvider::openaiSubscription,
    PeekabooProvider::anthropic, PeekabooProvider::openrouter,
    PeekabooProvider::gemini,    PeekabooProvider::groq,
    PeekabooProvider::mistral,   PeekabooProvider::minimax,
    PeekabooProvider::moonshot,  PeekabooProvider::together,
    PeekabooProvider::deepseek,  PeekabooProvider::openwebui,
};

QString rawValue(PeekabooProvider provider);
// Exact match of a raw value; anything else is no provider.
std::optional<PeekabooProvider> fromRawValue(const QString &raw);
QString displayName(PeekabooProvider provider);
// The environment variable the tool reads the key from.
QString environmentVariable(PeekabooProvider provider);
// The model used when none is stored; none lets the tool choose.
std::optional<QString> defaultModel(PeekabooProvider provider);
// False only for the ChatGPT sign-in, which needs no stored key.
bool needsStoredKey(PeekabooProvider provider);
std::optional<PeekabooCustomProvider> customProvider(PeekabooProvider provider);

// Trimmed; empty gives none. For the custom providers a name without "/"
// gets the provider's raw value and "/" in front (qwen3.5:9b becomes
// openwebui/qwen3.5:9b).
std::optional<QString> normalizedModel(const QString &model, PeekabooProvider provider);

} // namespace PeekabooProviders
