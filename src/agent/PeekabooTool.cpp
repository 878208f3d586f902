#include "agent/PeekabooTool.h"

#include "platform/AppPaths.h"

#include <QDir>
#include <QFileInfo>

namespace {

bool isExecutableFile(const QString &path)
{
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

} // namespace

PeekabooToolLocations PeekabooToolLocations::standard(const QString &home)
{
    PeekabooToolLocations locations;
    locations.executables = {QStringLiteral("/opt/homebrew/bin/peekaboo"),
                             QStringLiteral("/usr/local/bin/peekaboo")};
    locations.npxCacheFolder = QDir(home).filePath(QStringLiteral(".npm/_npx"));
    locations.npxExecutables = AppPaths::npxExecutables();
    return locations;
}

namespace PeekabooTool {

std::optional<PeekabooCommand> locate(const PeekabooToolLocations &locations)
{
    for (const QString &path : locations.executables) {
        if (isExecutableFile(path))
            return PeekabooCommand{path, {}};
    }
    if (!locations.npxCacheFolder.isEmpty()) {
        const QDir cache(locations.npxCacheFolder);
        const QStringList entries =
            cache.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
        for (const QString &entry : entries) {
            const QString path = cache.filePath(entry + QStringLiteral("/node_modules/") + npmPackage +
                                                QStringLiteral("/peekaboo"));
            if (isExecutableFile(path))
                return PeekabooCommand{path, {}};
        }
    }
    for (const QString &path : locations.npxExecutables) {
        if (isExecutableFile(path))
            return PeekabooCommand{path, {QStringLiteral("-y"), npmPackage}};
    }
    return std::nullopt;
}

QStringList agentArguments(const QString &prompt, bool allowForeground, const std::optional<QString> &model)
{
    QStringList args{QStringLiteral("agent"), prompt, QStringLiteral("--json"), QStringLiteral("--no-cache"),
                     QStringLiteral("--no-remote")};
    if (allowForeground)
        args << QStringLiteral("--allow-foreground");
    if (model)
        args << QStringLiteral("--model") << *model;
    return args;
}

QStringList keyTestArguments(const std::optional<QString> &model)
{
    QStringList args{QStringLiteral("agent"),       QStringLiteral("Reply with the single word OK."),
                     QStringLiteral("--json"),      QStringLiteral("--no-cache"),
                     QStringLiteral("--no-remote"), QStringLiteral("--no-desktop-context"),
                     QStringLiteral("--max-steps"), QStringLiteral("1")};
    if (model)
        args << QStringLiteral("--model") << *model;
    return args;
}

QStringList registrationArguments(const PeekabooCustomProvider &provider, const QString &keyVariable)
{
    // The tool gets a reference to the variable, never the key itself.
    return {QStringLiteral("config"),
            QStringLiteral("provider"),
            QStringLiteral("add"),
            provider.identifier,
            QStringLiteral("--type"),
            QStringLiteral("openai"),
            QStringLiteral("--name"),
            provider.name,
            QStringLiteral("--base-url"),
            provider.baseURL,
            QStringLiteral("--credential-ref"),
            QStringLiteral("${") + keyVariable + u'}',
            QStringLiteral("--no-input")};
}

QStringList permissionsArguments()
{
    return {QStringLiteral("permissions"), QStringLiteral("--json"), QStringLiteral("--no-remote")};
}

QStringList permissionRequestArguments(const QString &name)
{
    return {QStringLiteral("permissions"), QStringLiteral("request"), name, QStringLiteral("--json"),
            QStringLiteral("--no-remote")};
}

QStringList downloadArguments()
{
    return {QStringLiteral("-y"), npmPackage, QStringLiteral("--version")};
}

QStringList accountStatusArguments()
{
    return {QStringLiteral("config"), QStringLiteral("status"), QStringLiteral("--json"),
            QStringLiteral("--no-remote")};
}

QStringList signInArguments()
{
    return {QStringLiteral("config"), QStringLiteral("login"),       QStringLiteral("openai"),
            QStringLiteral("--json"), QStringLiteral("--no-remote"), QStringLiteral("--no-browser")};
}

QList<QPair<QString, QString>> environment(const QString &keyVariable, const std::optional<QString> &key)
{
    return {{QStringLiteral("NO_COLOR"), QStringLiteral("1")}, {keyVariable, key.value_or(QString())}};
}

QPointer<ProcessRunner> runAndCapture(const QString &path, const QStringList &arguments,
                                      std::chrono::milliseconds timeout,
                                      const QList<QPair<QString, QString>> &extraEnvironment,
                                      CaptureCompletion completion)
{
    ProcessRunner::Request request;
    request.program = path;
    request.arguments = arguments;
    request.environment = extraEnvironment;
    request.timeLimit = timeout;
    request.tempFilePrefix = QStringLiteral("peekaboo");
    request.captureLimit = captureLimit;
    return ProcessRunner::run(std::move(request),
                              [completion = std::move(completion)](const ProcessRunner::Result &r) {
                                  if (!completion)
                                      return;
                                  if (!r.started())
                                      completion(-1, QByteArray(), r.errorText.toUtf8());
                                  else
                                      completion(r.status, r.standardOutput, r.standardError);
                              });
}

} // namespace PeekabooTool
