#pragma once

#include "speech/ReadAloudVoice.h"

#include <QObject>
#include <QString>

// The synthesizer under the speaker: speaks one text at a time. Each text
// carries the speaker's id so that a late report about a text that was
// stopped or replaced can be told apart from the current one.
class SpeechEngine : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // The installed voices, in the engine's order.
    virtual QList<ReadAloudVoice::Voice> voices() = 0;
    // Starts speaking text with the voice of that identifier (empty: the engine's default);
    // ends with finished(id) or failed(id, reason) unless stop() comes first.
    virtual void say(quint64 id, const QString &text, const QString &voiceIdentifier) = 0;
    // Stops at once (not at a word boundary); the stopped text reports nothing more.
    virtual void stop() = 0;

signals:
    void finished(quint64 id);
    // The engine cannot speak (no engine, no audio device); the reason is for the user.
    void failed(quint64 id, const QString &reason);
};
