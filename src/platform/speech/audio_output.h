#pragma once

#include <QtGlobal>
#include <memory>

// Where played samples go: the sound device, or, with no device, a clock that consumes them
// at the pace they would be heard, so pausing, levels and waiting behave the same.
class AudioOutput {
public:
    virtual ~AudioOutput() = default;
    virtual qint64 samplesWanted() = 0;
    virtual void write(const qint16* samples, qint64 count) = 0;
    virtual qint64 samplesWritten() const = 0;
    // Samples heard so far, out of all written.
    virtual qint64 samplesPlayed() = 0;
    virtual void suspend() = 0;
    virtual void resume() = 0;
    // Forgets what is waiting to be heard, as far as the output can, and plays on.
    virtual void reset() = 0;

    // The sound device when there is one, otherwise the clock (one line on stderr says so).
    // The device comes from the sound module beside the program, so that Qt Multimedia and
    // the sound server's libraries are loaded only when speech is first heard.
    static std::unique_ptr<AudioOutput> open(int sampleRate);
};

// The sound module's one function: the default sound device opened for 16-bit mono samples at
// the rate, or null when there is none.
extern "C" {
using OpenSoundDevice = AudioOutput* (*)(int sampleRate);
}
