#pragma once

#include "pcm_buffer.h"
#include "speech_voice.h"

#include <QObject>
#include <QThread>
#include <atomic>
#include <functional>

class AudioPlayer;

// Speech on its way to the sound device: the bounded buffer that synthesis writes into and the
// player that drains it on a thread of its own. The player and the device start with the first
// speech or pause, so that a program that never speaks aloud never opens the device. Each
// cancel starts a generation: what belongs to an older one is dropped and its marks are no
// longer reported, also those heard just before the cancel.
class SpeechPlayback : public QObject {
    Q_OBJECT
public:
    explicit SpeechPlayback(size_t capacitySamples);
    ~SpeechPlayback() override;

    PcmBuffer& buffer() { return m_buffer; }
    // The generation that speech is written in now; read on any thread.
    int generation() const { return m_generation; }
    // Starts the player and the device, once.
    void open();
    void pause();
    void resume();
    // Drops everything buffered or waiting in the device; returns the new generation.
    int cancel();
    // Nothing buffered and the device has played all it was given.
    bool isIdle() const;

    // Polls done until it holds or milliseconds pass (-1: no limit); short steps, as exports
    // wait once per line.
    static bool waitUntil(const std::function<bool()>& done, int milliseconds);

Q_SIGNALS:
    // Queued to the owner's thread: the voice's own events.
    void level(int streamNumber, qint64 streamPosition, int level);
    void boundary(int streamNumber, qint64 streamPosition, SpeechBoundary boundary,
                  int characterPosition, int length);
    // Emitted on the player's thread when a stream's first audio reaches the device.
    void streamStarted(int streamNumber);

private:
    PcmBuffer m_buffer;
    QThread m_audioThread;
    AudioPlayer* m_player = nullptr;
    std::atomic<int> m_generation{0};
};
