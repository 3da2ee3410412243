#pragma once

#include <QtGlobal>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <vector>

// Synthesised samples on their way to the sound device: bounded, so that synthesis waits for
// playback instead of holding a whole document's audio in memory. Each write belongs to a
// generation; cancel() starts a new one, drops what is buffered and releases waiting writers.
class PcmBuffer {
public:
    struct Chunk {
        int stream = 0;
        std::vector<qint16> samples;
    };

    explicit PcmBuffer(size_t capacitySamples);

    // Blocks while the buffer is full; false when the generation was cancelled meanwhile.
    bool write(const qint16* samples, size_t count, int stream, int generation);
    // Up to maxSamples of the oldest stream's samples, without waiting; empty when none.
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
