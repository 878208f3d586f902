#pragma once

#include <QString>
#include <memory>

// The microphone as the voice recorder uses it: raw 16-bit mono samples
// written to a file, and the level of the latest ones. Tests supply a fake.
class VoiceInput
{
public:
    virtual ~VoiceInput() = default;
    // False when there is no microphone or it does not start.
    virtual bool start(const QString &rawPath) = 0;
    virtual int sampleRate() const = 0;
    // Average power of the latest samples, in dBFS.
    virtual double averagePowerDb() const = 0;
    // Stops and closes the file.
    virtual void stop() = 0;

    // The system's default microphone through Qt Multimedia.
    static std::unique_ptr<VoiceInput> defaultMicrophone();
};
