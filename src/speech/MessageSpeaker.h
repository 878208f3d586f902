#pragma once

#include <QString>
#include <functional>

// Reads message text aloud on behalf of one owner (a message row) at a time.
// The owner learns that speech ended (finished, stopped or replaced) through
// the restore action it passed in, and puts its button back then.
class MessageSpeaker
{
public:
    virtual ~MessageSpeaker() = default;

    // Starts speaking text for owner, stopping anything spoken before (whose
    // restore action runs). Empty text speaks nothing.
    virtual void speak(const QString &text, const void *owner, std::function<void()> restore) = 0;
    // Stops speech at once; the current owner's restore action runs.
    virtual void stop() = 0;
    // Whether owner's text is being spoken or is paused.
    virtual bool isSpeaking(const void *owner) const = 0;
};

// Speaks nothing: stands in until a voice engine is attached.
class SilentMessageSpeaker : public MessageSpeaker
{
public:
    void speak(const QString &, const void *, std::function<void()> restore) override
    {
        if (restore)
            restore();
    }
    void stop() override {}
    bool isSpeaking(const void *) const override { return false; }
};
