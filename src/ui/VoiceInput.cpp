#include "ui/VoiceInput.h"

#include "ui/MediaModule.h"

std::unique_ptr<VoiceInput> VoiceInput::defaultMicrophone()
{
    return MediaModule::microphone();
}
