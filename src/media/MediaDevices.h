#pragma once

// Qt Multimedia's speaker, microphone and camera behind the application's interfaces.
#include "media/MediaModuleInterface.h"

#include <memory>

namespace MediaDevices {

std::unique_ptr<AudioSink> speaker();
std::unique_ptr<VoiceInput> microphone(double (*averagePowerDb)(const qint16 *, qsizetype));
std::unique_ptr<WebcamPhotoCapture::Device> camera();

} // namespace MediaDevices
