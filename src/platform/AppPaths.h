#pragma once

#include <QString>
#include <QStringList>

// Every special folder and file of the application, decided here once per
// platform. Callers that run in throw-away storage (the demo, tests) pass their
// own paths instead.
namespace AppPaths {

// TDLib's database and files, the message archive and outgoing copies.
QString dataFolder();
// Copies of attachments the user sends, inside a data folder.
QString outgoingFolder(const QString &dataFolder);
// The agent activity log.
QString activityLogFile();
// The settings file; empty where the platform's own preferences store is used.
QString settingsFile();

// Drawn diagrams: a cache, so it may be cleared at any time.
QString diagramCacheFolder();

// Where npx may be installed, in the order to try.
QStringList npxExecutables();

// Creates the folder (and its parents) and restricts it to the owner.
bool makePrivateFolder(const QString &path);

} // namespace AppPaths
