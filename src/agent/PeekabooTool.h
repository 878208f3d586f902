#pragma once

#include "agent/PeekabooProvider.h"
#include "core/ProcessRunner.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <optional>

// The located Peekaboo tool: a program and the arguments that go before
// every command line (npx needs the package name).
struct PeekabooCommand
{
    QString path;
    QStringList prefixArguments;

    bool viaNpx() const { return !prefixArguments.isEmpty(); }
    bool operator==(const PeekabooCommand &) const = default;
};

// Where the tool is looked for, in order: direct executables, the npx cache
// (each entry of its folder, in name order, + the package's executable), then
// npx itself.
struct PeekabooToolLocations
{
    QStringList executables;
    QString npxCacheFolder;
    QStringList npxExecutables;

    static PeekabooToolLocations standard(const QString &home);
};

// What is passed to the tool and how it is found.
namespace PeekabooTool {

inline const QString npmPackage = QStringLiteral("@fennick/peekaboo");

// How long each use may take before the tool is terminated.
inline constexpr std::chrono::seconds agentTimeLimit{360};
inline constexpr std::chrono::seconds keyTestTimeLimit{60};
// npx may have to download the package first.
inline constexpr std::chrono::seconds permissionsTimeLimit(bool viaNpx)
{
    return std::chrono::seconds(viaNpx ? 90 : 20);
}
inline constexpr std::chrono::seconds permissionRequestTimeLimit{30};
inline constexpr std::chrono::seconds downloadTimeLimit{180};
inline constexpr std::chrono::seconds accountStatusTimeLimit{20};
// Registration has no limit of its own; this only keeps a stuck tool from
// blocking forever.
inline constexpr std::chrono::seconds registrationTimeLimit{180};

// How much of the tool's output and error output is read: far more than any
// answer, far less than a runaway tool can print.
inline constexpr qint64 captureLimit = 8 * 1024 * 1024;

std::optional<PeekabooCommand> locate(const PeekabooToolLocations &locations);

// The arguments after the prefix, one function per use.
QStringList agentArguments(const QString &prompt, bool allowForeground, const std::optional<QString> &model);
QStringList keyTestArguments(const std::optional<QString> &model);
QStringList registrationArguments(const PeekabooCustomProvider &provider, const QString &keyVariable);
QStringList permissionsArguments();
// name: "screen-recording" or "accessibility".
QStringList permissionRequestArguments(const QString &name);
// npx only, the whole argument list.
QStringList downloadArguments();
QStringList accountStatusArguments();
QStringList signInArguments();

// Extra environment for agent and key-test runs: NO_COLOR, and the key under
// the provider's variable; no key removes that variable (an empty value).
QList<QPair<QString, QString>> environment(const QString &keyVariable, const std::optional<QString> &key);

// The generic capture run used by the availability, permission and account
// checks: path and full argument list, a limit, extra variables (an empty
// value removes one); output through temporary files. The completion gets the
// exit status (the signal number when one ended it, -1 when the tool could
// not be started, with the reason as error output) on the main thread.
using CaptureCompletion =
    std::function<void(int status, const QByteArray &standardOutput, const QByteArray &standardError)>;
QPointer<ProcessRunner> runAndCapture(const QString &path, const QStringList &arguments,
                                      std::chrono::milliseconds timeout,
                                      const QList<QPair<QString, QString>> &extraEnvironment,
                                      CaptureCompletion completion);

} // namespace PeekabooTool
