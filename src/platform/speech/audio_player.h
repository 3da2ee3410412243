#pragma once

#include "pcm_buffer.h"

#include <QObject>
#include <QTimer>
#include <atomic>
#include <deque>
#include <memory>

class AudioOutput;

// Moves samples from the buffer to the sound device on its own thread, and reports the level
// of what is being heard (the played position, not the synthesised one).
class AudioPlayer : public QObject {
    Q_OBJECT
public:
    static constexpr int SampleRate = 22050;

    explicit AudioPlayer(PcmBuffer& buffer);
    ~AudioPlayer() override;

    // True when nothing is waiting in the device or in the level queue.
    bool isDrained() const { return m_drained; }

public Q_SLOTS:
    void start(); // on the player's thread: opens the device
    void pause();
    void resume();
    void reset(); // drops what the device still holds

Q_SIGNALS:
    void level(int stream, qint64 position, int level);
    // The first samples of a stream were handed to the device.
    void streamStarted(int stream);
    // A mark's sample has been heard.
    void markHeard(int stream, qint64 position, SpeechMark mark);

private:
    void feed();
    void collectLevels(const PcmBuffer::Chunk& chunk, qint64 firstSample);
    void collectMarks(const PcmBuffer::Chunk& chunk, qint64 firstSample);
    void reportPlayedLevels();
    void reportPlayedMarks();

    struct PendingLevel {
        qint64 endSample;
        int stream;
        qint64 position;
        int level;
    };

    PcmBuffer& m_buffer;
    std::unique_ptr<AudioOutput> m_output;
    QTimer* m_timer = nullptr;
    bool m_paused = false;
    std::deque<PendingLevel> m_levels;
    struct PendingMark {
        qint64 sample;
        int stream;
        qint64 position;
        SpeechMark mark;
    };
    std::deque<PendingMark> m_marks;
    int m_blockStream = 0;
    qint64 m_blockSamples = 0;
    qint64 m_streamPosition = 0;
    double m_blockSquares = 0;
    std::atomic<bool> m_drained{true};
};
