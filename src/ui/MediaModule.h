#pragma once

#include "ui/AudioPlayback.h"
#include "ui/VoiceInput.h"
#include "ui/WebcamPhotoCapture.h"

#include <QString>
#include <memory>

class QWidget;
struct MediaModuleInterface;

// The media library (speaker, microphone, camera, PDF windows), loaded from
// beside the executable the first time one of them is needed. Each function
// returns nothing when the library is missing or broken; why is in loadError().
namespace MediaModule {

const MediaModuleInterface *load();
QString loadError();

std::unique_ptr<AudioSink> speaker();
std::unique_ptr<VoiceInput> microphone();
std::unique_ptr<WebcamPhotoCapture::Device> camera();
// A top-level window showing the PDF; null with error set when it cannot be shown.
QWidget *pdfPreview(const QString &path, const QString &title, QString *error);

} // namespace MediaModule
