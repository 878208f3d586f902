#pragma once

// The demo as the benchmarks start it: offscreen unless a platform is named,
// one bot conversation selected and the simulator configured.
#include "app/AppEnvironmentSetup.h"
#include "settings/SettingsStore.h"

#include <QApplication>
#include <cstdio>
#include <memory>

namespace BenchDemo {

// Before the QApplication exists.
inline void preferOffscreen()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

// Null (with the reason on standard error) when the demo cannot be set up.
inline std::unique_ptr<AppEnvironmentSetup> setUp(const char *bench, const QString &botChatID,
                                                  const QByteArray &simulator)
{
    QApplication::setQuitOnLastWindowClosed(false);
    QString error;
    auto setup = AppEnvironmentSetup::demo(&error);
    if (!setup) {
        std::fprintf(stderr, "%s: %s\n", bench, qPrintable(error));
        return nullptr;
    }
    setup->environment().settings->setString(QStringLiteral("selectedBotChatID"), botChatID);
    AppEnvironmentSetup::configureSimulator(simulator);
    return setup;
}

} // namespace BenchDemo
