#include "agent/PeekabooOutput.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace PeekabooOutput {

namespace {

// A non-empty string at object[key1][key2], or an empty string.
QString nestedString(const QJsonObject &object, const char *outer, const char *inner)
{
    const QJsonValue value = object.value(QLatin1String(outer)).toObject().value(QLatin1String(inner));
    return value.isString() ? value.toString() : QString();
}

bool isBlankOrTab(QChar c)
{
    return c == u' ' || c == u'\t';
}

QString trimBlanksAndTabs(const QString &line)
{
    qsizetype start = 0;
    qsizetype end = line.size();
    while (start < end && isBlankOrTab(line.at(start)))
        ++start;
    while (end > start && isBlankOrTab(line.at(end - 1)))
        --end;
    return line.mid(start, end - start);
}

} // namespace

QString clipped(const QString &text, qsizetype limit)
{
    if (text.size() <= limit)
        return text;
    qsizetype kept = limit;
    // Never split a surrogate pair.
    if (kept > 0 && text.at(kept - 1).isHighSurrogate() && text.at(kept).isLowSurrogate())
        --kept;
    return text.left(kept) + QStringLiteral("\n…(truncated, %1 characters omitted)").arg(text.size() - kept);
}

Advice friendlyError(const QString &text, const QString &providerName)
{
    const QString lowered = text.toLower();
    const auto has = [&lowered](const char *needle) { return lowered.contains(QLatin1String(needle)); };
    const QString &p = providerName;
    if (has("oauth login not found") || has("openai oauth") || has("sign in again")) {
        return {
            QStringLiteral("ChatGPT sign-in is missing or has expired. Open Settings, choose OpenAI (ChatGPT "
                           "sign-in), then sign in again."),
            true};
    }
    if (has("insufficient balance") || has("insufficient_balance") || has("http 402"))
        return {p + QStringLiteral(" has no credit left. Top up the ") + p +
                QStringLiteral(" account, then try again.")};
    if (has("finish reason 'length'") || (has("finish_reason") && has("length")))
        return {QStringLiteral(
            "The model ran out of reply space before it finished. Ask for a shorter result, or "
            "switch to a model with a bigger reply limit.")};
    if (has("http 401") || has("invalid api key") || has("incorrect api key"))
        return {p + QStringLiteral(" rejected the API key. Save a new key in Settings, then try again.")};
    if (has("http 429") || has("rate limit"))
        return {p + QStringLiteral(" is rate limiting requests. Wait a minute, then try again.")};
    return {text};
}

PeekabooResult parse(const QByteArray &standardOutput, const QByteArray &standardError, int status,
                     const std::function<QString(const QString &)> &friendly)
{
    const QString output = QString::fromUtf8(standardOutput).trimmed();
    // Broken bytes in an otherwise sound answer must not turn it into plain
    // text: read the repaired text.
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(output.toUtf8(), &error);
    if (error.error == QJsonParseError::NoError && document.isObject()) {
        const QJsonObject object = document.object();
        const bool succeeded = object.value(QLatin1String("success")).toBool(false);
        QString text = nestedString(object, "result", "content");
        if (text.isEmpty())
            text = nestedString(object, "error", "message");
        // The output is this very JSON then, which is no answer for the chat.
        if (text.isEmpty())
            text = QStringLiteral("Peekaboo returned no output.");
        if (succeeded)
            return {true, text, false};
        text = friendly(text);
        const bool unavailable =
            text.contains(QLatin1String("Bridge host"), Qt::CaseInsensitive) ||
            text.contains(QLatin1String("ScreenCaptureKit owner"), Qt::CaseInsensitive) ||
            nestedString(object, "error", "code") == u"CAPTURE_FAILED";
        return {false, text, unavailable};
    }
    if (!output.isEmpty())
        return {status == 0, output, false};
    QString text = QString::fromUtf8(standardError).trimmed();
    if (text.isEmpty())
        text = QStringLiteral("Peekaboo exited with status %1.").arg(status);
    return {false, friendly(text), false};
}

QString currentStep(const QString &errorOutput)
{
    static const QRegularExpression colour(QStringLiteral("\x1b\\[[0-9;]*m"));
    static const QRegularExpression logPrefix(
        QStringLiteral(R"(^\[[^\]]*\]\s*(TRACE|DEBUG|INFO|WARNING|ERROR|CRITICAL):\s*)"),
        QRegularExpression::CaseInsensitiveOption);
    const QStringList lines = errorOutput.split(u'\n', Qt::SkipEmptyParts);
    QString line;
    for (auto it = lines.crbegin(); it != lines.crend(); ++it) {
        if (!trimBlanksAndTabs(*it).isEmpty()) {
            line = *it;
            break;
        }
    }
    line.remove(colour);
    line.remove(logPrefix);
    line = line.trimmed();
    if (line.size() > 110)
        line = line.left(110) + u'…';
    return line;
}

} // namespace PeekabooOutput
