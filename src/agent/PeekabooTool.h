#pragma once

#include "agent/PeekabooProvider.h"

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

} // namespace PeekabooTool
