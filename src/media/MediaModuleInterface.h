#pragma once

// What the media library offers the application. Qt Multimedia and Qt PDF
// (with the sound, codec and PDF libraries under them) live only there, and
// the application loads it when it first plays, records, photographs or
// shows a PDF: linked into the executable they cost every start about 10 ms
// of loading and relocation before the window could appear.
#include "ui/AudioPlayback.h"
#include "ui/VoiceInput.h"
#include "ui/WebcamPhotoCapture.h"

#include <QString>

class QWidget;

struct MediaModuleInterface
{
    // Raised with every change below; a library from another build is refused.
    static constexpr int currentVersion = 1;

    int version = currentVersion;
    AudioSink *(*createAudioSink)() = nullptr;
    // The level of each block of samples is measured by the application's own function.
    VoiceInput *(*createMicrophone)(double (*averagePowerDb)(const qint16 *, qsizetype)) = nullptr;
    WebcamPhotoCapture::Device *(*createCamera)() = nullptr;
    // A window of its own showing the PDF's pages; null, with error set, when
    // the file cannot be read as a PDF.
    QWidget *(*createPdfPreview)(const QString &path, const QString &windowTitle, QString *error) = nullptr;
};

// The library's one exported function.
#define TESSALY_MEDIA_MODULE_ENTRY "tessaly_media_module"
extern "C" const MediaModuleInterface *tessaly_media_module();
