// Finder through `open -R`, with the folder opened as the fallback.
#include "platform/FileReveal.h"

#include "core/ProcessRunner.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace FileReveal {

QString actionTitle()
{
    return QStringLiteral("Reveal in Finder");
}

void reveal(const QString &path)
{
    ProcessRunner::Request request;
    request.program = QStringLiteral("/usr/bin/open");
    request.arguments = {QStringLiteral("-R"), path};
    request.capture = ProcessRunner::Capture::Discard;
    request.timeLimit = std::chrono::seconds(10);
    ProcessRunner::run(request, [path](const ProcessRunner::Result &result) {
        if (!result.succeeded())
            QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absolutePath()));
    });
}

} // namespace FileReveal
