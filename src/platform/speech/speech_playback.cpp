#include "speech_playback.h"

#include "audio_player.h"

#include <QElapsedTimer>

SpeechPlayback::SpeechPlayback(size_t capacitySamples) : m_buffer(capacitySamples) {}

SpeechPlayback::~SpeechPlayback() {
    cancel();
    m_audioThread.quit();
    m_audioThread.wait();
}

void SpeechPlayback::open() {
    if (m_player)
        return;
    m_player = new AudioPlayer(m_buffer);
    m_player->moveToThread(&m_audioThread);
    connect(&m_audioThread, &QThread::finished, m_player, &QObject::deleteLater);
    connect(m_player, &AudioPlayer::level, this, &SpeechPlayback::level);
    connect(m_player, &AudioPlayer::markHeard, this,
            [this](int stream, qint64 position, const SpeechMark& mark) {
                // What was heard before a cancel still arrives after it.
                if (mark.generation == m_generation)
                    Q_EMIT boundary(stream, position, SpeechBoundary(mark.kind), mark.position,
                                    mark.length);
            });
    connect(m_player, &AudioPlayer::streamStarted, this, &SpeechPlayback::streamStarted,
            Qt::DirectConnection);
    m_audioThread.start();
    QMetaObject::invokeMethod(m_player, &AudioPlayer::start, Qt::QueuedConnection);
}

void SpeechPlayback::pause() {
    open();
    QMetaObject::invokeMethod(m_player, &AudioPlayer::pause, Qt::QueuedConnection);
}

void SpeechPlayback::resume() {
    open();
    QMetaObject::invokeMethod(m_player, &AudioPlayer::resume, Qt::QueuedConnection);
}

int SpeechPlayback::cancel() {
    const int generation = ++m_generation;
    m_buffer.cancel(generation);
    if (m_player)
        QMetaObject::invokeMethod(m_player, &AudioPlayer::reset, Qt::QueuedConnection);
    return generation;
}

bool SpeechPlayback::isIdle() const {
    return m_buffer.isEmpty() && (!m_player || m_player->isDrained());
}

bool SpeechPlayback::waitUntil(const std::function<bool()>& done, int milliseconds) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (milliseconds >= 0 && clock.elapsed() >= milliseconds)
            return false;
        QThread::usleep(500);
    }
    return true;
}
