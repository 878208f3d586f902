#pragma once

#include "platform/SystemActions.h"

// systemd's tools: systemctl for power, loginctl for the session.
class LinuxSystemActions : public SystemActions
{
public:
    // The programs to start; tests point them at stand-ins.
    explicit LinuxSystemActions(QString systemctl = QStringLiteral("systemctl"),
                                QString loginctl = QStringLiteral("loginctl"));

    Command command(Action action, const QString &appleScript) const override;

private:
    QString m_systemctl;
    QString m_loginctl;
};
