#pragma once

#include "speech_voice.h"

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class AudioFile;
struct soxr;

// A 16 kHz, 16-bit, mono PCM WAV file (or a compressed file, see the format types) fed with the
// engine's samples, or with samples already at the file's rate. Resampling and writing run on a
// thread of their own, so synthesis never waits for the disk.
class WavFileStream : public SpeechFileStream {
public:
    explicit WavFileStream(int inputRate);
    ~WavFileStream() override;

    void setFormatType(int type) override;
    void Open(const QString& path, int mode, bool raiseEvents) override;
    void Close() override;
    int sampleRate() const override { return m_outputRate; }
    bool writeSamples(const qint16* samples, size_t count) override;

    // The engine's samples, from the synthesis thread. Blocks while the queue is full; false when
    // cancelled.
    bool write(const qint16* samples, size_t count, int generation);
    // As write, for samples already at the file's rate.
    bool writeAtFileRate(const qint16* samples, size_t count, int generation);
    void cancel(int newGeneration);
    bool isIdle() const;

private:
    struct Block {
        std::vector<qint16> samples;
        bool resample; // at the engine's rate, not yet at the file's
    };
    bool enqueue(const qint16* samples, size_t count, bool resample, int generation);
    void run();

    const int m_inputRate;
    int m_formatType = Format16kHz16BitMono;
    int m_outputRate = 0;
    std::unique_ptr<AudioFile> m_file;
    soxr* m_resampler = nullptr;
    QString m_path;

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Block> m_queue;
    size_t m_queuedSamples = 0;
    bool m_busy = false;
    bool m_closing = false;
    bool m_failed = false;
    bool m_open = false; // takes samples between Open and Close
    int m_generation = 0;
    std::thread m_writer;
};
