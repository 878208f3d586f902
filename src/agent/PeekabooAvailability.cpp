#include "agent/PeekabooAvailability.h"

#include "core/MainThread.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

bool boolOrFalse(const QJsonValue &value)
{
    return value.isBool() && value.toBool();
}

QString trimmedText(const QByteArray &bytes)
{
    return QString::fromUtf8(bytes).trimmed();
}

// The permission requests, one after the other; the first refusal ends them.
void requestFrom(qsizetype index, const PeekabooCommand &command, const PeekabooSetup::Limits &limits,
                 const PeekabooSetup::ErrorCompletion &completion)
{
    static const QStringList names{QStringLiteral("screen-recording"), QStringLiteral("accessibility")};
    if (index >= names.size()) {
        if (completion)
            completion(std::nullopt);
        return;
    }
    const QString name = names.at(index);
    PeekabooTool::runAndCapture(
        command.path, command.prefixArguments + PeekabooTool::permissionRequestArguments(name),
        limits.permissionRequest, {},
        [index, command, limits, completion, name](int status, const QByteArray &, const QByteArray &error) {
            if (status != 0) {
                const QString text = trimmedText(error);
                if (completion)
                    completion(text.isEmpty() ? QStringLiteral("Could not request ") + name + u'.' : text);
                return;
            }
            requestFrom(index + 1, command, limits, completion);
        });
}

} // namespace

PeekabooAvailability::Installation
PeekabooAvailability::Installation::of(const std::optional<PeekabooCommand> &command)
{
    if (!command)
        return {Kind::missing, QString()};
    return {command->viaNpx() ? Kind::npx : Kind::binary, command->path};
}

QList<PeekabooPermissionStatus> PeekabooAvailability::missingPermissions() const
{
    QList<PeekabooPermissionStatus> missing;
    for (const PeekabooPermissionStatus &permission : permissions) {
        if (permission.required && !permission.granted)
            missing << permission;
    }
    return missing;
}

PeekabooAvailability PeekabooAvailability::fromPermissionsOutput(const Installation &installation,
                                                                 const QByteArray &standardOutput,
                                                                 const QByteArray &standardError)
{
    PeekabooAvailability availability;
    availability.installation = installation;
    const QJsonDocument document = QJsonDocument::fromJson(standardOutput.trimmed());
    if (!document.isObject()) {
        const QString text = trimmedText(standardError);
        availability.error =
            text.isEmpty() ? QStringLiteral("Peekaboo could not report its permissions.") : text;
        return availability;
    }
    const QJsonObject root = document.object();
    if (!boolOrFalse(root.value(QStringLiteral("success")))) {
        const QJsonValue message =
            root.value(QStringLiteral("error")).toObject().value(QStringLiteral("message"));
        availability.error = message.isString()
                                 ? message.toString()
                                 : QStringLiteral("Peekaboo returned no permission information.");
        return availability;
    }
    const QJsonObject data = root.value(QStringLiteral("data")).toObject();
    if (const QJsonValue source = data.value(QStringLiteral("source")); source.isString())
        availability.source = source.toString();
    for (const QJsonValue &entry : data.value(QStringLiteral("permissions")).toArray()) {
        const QJsonObject permission = entry.toObject();
        const QJsonValue name = permission.value(QStringLiteral("name"));
        if (!name.isString())
            continue;
        availability.permissions << PeekabooPermissionStatus{
            name.toString(), boolOrFalse(permission.value(QStringLiteral("isRequired"))),
            boolOrFalse(permission.value(QStringLiteral("isGranted")))};
    }
    return availability;
}

namespace PeekabooSetup {

void checkAvailability(const std::optional<PeekabooCommand> &command, const Limits &limits,
                       AvailabilityCompletion completion)
{
    const auto installation = PeekabooAvailability::Installation::of(command);
    if (!command) {
        PeekabooAvailability missing;
        missing.error = QStringLiteral("Peekaboo is not installed and npx was not found.");
        MainThread::post([completion = std::move(completion), missing] {
            if (completion)
                completion(missing);
        });
        return;
    }
    const auto limit = command->viaNpx() ? limits.permissionsViaNpx : limits.permissionsDirect;
    PeekabooTool::runAndCapture(
        command->path, command->prefixArguments + PeekabooTool::permissionsArguments(), limit, {},
        [installation, completion = std::move(completion)](int, const QByteArray &output,
                                                           const QByteArray &error) {
            if (completion)
                completion(PeekabooAvailability::fromPermissionsOutput(installation, output, error));
        });
}

void prefetch(const std::optional<PeekabooCommand> &command, const Limits &limits, ErrorCompletion completion)
{
    if (!command || !command->viaNpx()) {
        MainThread::post([completion = std::move(completion)] {
            if (completion)
                completion(std::nullopt);
        });
        return;
    }
    PeekabooTool::runAndCapture(
        command->path, PeekabooTool::downloadArguments(), limits.download, {},
        [completion = std::move(completion)](int status, const QByteArray &, const QByteArray &error) {
            if (!completion)
                return;
            if (status == 0) {
                completion(std::nullopt);
                return;
            }
            const QString text = trimmedText(error);
            completion(text.isEmpty()
                           ? QStringLiteral("Peekaboo download failed (npx exited with %1).").arg(status)
                           : text);
        });
}

void requestPermissions(const std::optional<PeekabooCommand> &command, const Limits &limits,
                        ErrorCompletion completion)
{
    if (!command) {
        MainThread::post([completion = std::move(completion)] {
            if (completion)
                completion(QStringLiteral("Peekaboo is not installed."));
        });
        return;
    }
    requestFrom(0, *command, limits, completion);
}

} // namespace PeekabooSetup
