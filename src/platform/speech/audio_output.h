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
    static std::unique_ptr<AudioOutput> open(int sampleRate);
};
