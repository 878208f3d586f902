#include "ui/MediaModule.h"

#include "chat/VoiceRecording.h"
#include "media/MediaModuleInterface.h"
#include "ui/LiteralText.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>
#include <cstdio>

namespace {

struct Loaded
{
    const MediaModuleInterface *table = nullptr;
    QString error;
};

// Beside the executable (the build and a bundle alike), or in the library
// folder of an installation.
QStringList candidates()
{
    const QString dir = QCoreApplication::applicationDirPath();
    return {dir + QStringLiteral("/tessaly_media.so"),
            dir + QStringLiteral("/../lib/tessaly/tessaly_media.so")};
}

Loaded loadOnce()
{
    Loaded loaded;
    QStringList tried;
    for (const QString &path : candidates()) {
        if (!QFileInfo::exists(path)) {
            tried << path;
            continue;
        }
        // Never unloaded: what it created may live as long as the application.
        QLibrary library(path);
        using Entry = const MediaModuleInterface *(*)();
        const auto entry = reinterpret_cast<Entry>(library.resolve(TESSALY_MEDIA_MODULE_ENTRY));
        if (!entry) {
            loaded.error = library.errorString();
            return loaded;
        }
        const MediaModuleInterface *table = entry();
        if (!table || table->version != MediaModuleInterface::currentVersion) {
            loaded.error = QStringLiteral("%1 belongs to another version of Tessaly").arg(path);
            return loaded;
        }
        loaded.table = table;
        return loaded;
    }
    loaded.error =
        QStringLiteral("the media library is missing (looked for %1)").arg(tried.join(QStringLiteral(", ")));
    return loaded;
}

const Loaded &loaded()
{
    static const Loaded once = [] {
        Loaded result = loadOnce();
        if (!result.table)
            std::fprintf(stderr, "tessaly: sound, camera and PDF windows are unavailable: %s\n",
                         qPrintable(result.error));
        return result;
    }();
    return once;
}

} // namespace

const MediaModuleInterface *MediaModule::load()
{
    return loaded().table;
}

QString MediaModule::loadError()
{
    return loaded().error;
}

std::unique_ptr<AudioSink> MediaModule::speaker()
{
    const MediaModuleInterface *media = load();
    return std::unique_ptr<AudioSink>(media ? media->createAudioSink() : nullptr);
}

std::unique_ptr<VoiceInput> MediaModule::microphone()
{
    const MediaModuleInterface *media = load();
    return std::unique_ptr<VoiceInput>(media ? media->createMicrophone(&VoiceRecording::averagePowerDb)
                                             : nullptr);
}

std::unique_ptr<WebcamPhotoCapture::Device> MediaModule::camera()
{
    const MediaModuleInterface *media = load();
    return std::unique_ptr<WebcamPhotoCapture::Device>(media ? media->createCamera() : nullptr);
}

QWidget *MediaModule::pdfPreview(const QString &path, const QString &title, QString *error)
{
    const MediaModuleInterface *media = load();
    if (!media) {
        if (error)
            *error = loadError();
        return nullptr;
    }
    // The attachment's file name, as it is.
    return media->createPdfPreview(path, LiteralText::windowTitle(title), error);
}
