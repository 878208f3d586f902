#include "platform/SystemActions.h"

#include <QFileInfo>

QString SystemActions::exitStatusText(const Command &command, int status)
{
    return QFileInfo(command.program).fileName() + QStringLiteral(" exited with status ") +
           QString::number(status) + QLatin1Char('.');
}
