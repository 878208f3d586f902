#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

// What the agent leaves behind, as the chat will show it.
struct PeekabooResult
{
    bool succeeded = false;
    // The agent's answer or an error sentence.
    QString text;
    // The agent reported that screen capture is unusable.
    bool bridgeUnavailable = false;

    bool operator==(const PeekabooResult &) const = default;
};

// Reading the agent's output; pure functions.
namespace PeekabooOutput {

// The text unchanged when it has at most limit characters; otherwise its
// first limit characters and "\n…(truncated, N characters omitted)".
QString clipped(const QString &text, qsizetype limit);

struct Advice
{
    QString text;
    // The failure says the ChatGPT sign-in is gone.
    bool signInLost = false;
};
// One-sentence advice for the typical provider failures (a lost sign-in, no
// credit, a truncated reply, a rejected key, rate limits); other texts
// unchanged. providerName: the selected provider's display name.
Advice friendlyError(const QString &text, const QString &providerName);

// The result of a finished run: the JSON answer ("success", "result.content",
// "error.message", "error.code"; neither text: "Peekaboo returned no
// output.") or plain output. Failure texts pass through friendly(); plain
// output does not.
PeekabooResult parse(const QByteArray &standardOutput, const QByteArray &standardError, int status,
                     const std::function<QString(const QString &)> &friendly);

// The agent's current step from its error output so far: the last non-blank
// line without colour codes and log prefix, at most 110 characters.
QString currentStep(const QString &errorOutput);

} // namespace PeekabooOutput
