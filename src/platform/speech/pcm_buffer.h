#pragma once

#include <QtGlobal>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <vector>

// A sentence, word or end of the spoken text, tied to the sample where its sound begins.
struct SpeechMark {
    int kind = 0; // a SpeechBoundary
    int position = 0;
    int length = 0;
    int generation = 0;
    size_t sample = 0; // offset in the samples it travels with; may be their count (after them)
};

// Synthesised samples on their way to the sound device: bounded, so that synthesis waits for
// playback instead of holding a whole document's audio in memory. Each write belongs to a
// generation; cancel() starts a new one, drops what is buffered and releases waiting writers.
class PcmBuffer {
public:
    struct Chunk {
        int stream = 0;
        std::vector<qint16> samples;
        std::vector<SpeechMark> marks; // in the order of their samples
    };

    explicit PcmBuffer(size_t capacitySamples);

    // Blocks while the buffer is full; false when the generation was cancelled meanwhile.
    // The marks travel with the samples they point into.
    bool write(const qint16* samples, size_t count, int stream, int generation,
               std::vector<SpeechMark> marks = {});
    // Up to maxSamples of the oldest stream's samples with their marks, without waiting; empty
    // when none.
    Chunk read(size_t maxSamples);

    void cancel(int newGeneration);
    bool isEmpty() const;

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_space;
    std::deque<Chunk> m_chunks;
    size_t m_size = 0;
    size_t m_capacity;
    int m_generation = 0;
};
