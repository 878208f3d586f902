#include "platform/linux/LinuxSystemActions.h"

#include <QtGlobal>

LinuxSystemActions::LinuxSystemActions(QString systemctl, QString loginctl)
    : m_systemctl(std::move(systemctl)), m_loginctl(std::move(loginctl))
{
}

SystemActions::Command LinuxSystemActions::command(Action action, const QString &) const
{
    switch (action) {
    case Action::shutdown:
        return {m_systemctl, {QStringLiteral("poweroff")}};
    case Action::restart:
        return {m_systemctl, {QStringLiteral("reboot")}};
    case Action::sleep:
        return {m_systemctl, {QStringLiteral("suspend")}};
    case Action::logOut: {
        // The session id travels as one argument, never through a shell. Outside
        // a login session loginctl understands "self" as the caller's session.
        QString session = qEnvironmentVariable("XDG_SESSION_ID");
        if (session.isEmpty())
            session = QStringLiteral("self");
        return {m_loginctl, {QStringLiteral("terminate-session"), session}};
    }
    case Action::lock:
        return {m_loginctl, {QStringLiteral("lock-session")}};
    }
    return {m_loginctl, {QStringLiteral("lock-session")}};
}

std::unique_ptr<SystemActions> SystemActions::platformDefault()
{
    return std::make_unique<LinuxSystemActions>();
}
