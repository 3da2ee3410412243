#include "audio_player.h"

#include "audio_output.h"

#include <cmath>

namespace {

constexpr qint64 LevelBlock = AudioPlayer::SampleRate / 20; // 50 ms
// Ordinary speech at full volume has an RMS of a few thousand; it spans the 0-10 bar.
constexpr double LevelScale = 10.0 / 4000.0;

} // namespace

AudioPlayer::AudioPlayer(PcmBuffer& buffer) : m_buffer(buffer) {}

// The device may run the event loop while it closes: no feeding from then on.
AudioPlayer::~AudioPlayer() {
    delete m_timer;
}

void AudioPlayer::start() {
    m_output = AudioOutput::open(SampleRate);
    m_timer = new QTimer(this);
    m_timer->setTimerType(Qt::PreciseTimer);
    connect(m_timer, &QTimer::timeout, this, &AudioPlayer::feed);
    m_timer->start(5); // well inside the device's 25 ms buffer
}

void AudioPlayer::pause() {
    m_paused = true;
    m_output->suspend();
}

void AudioPlayer::resume() {
    m_paused = false;
    m_output->resume();
}

void AudioPlayer::reset() {
    m_output->reset();
    m_paused = false;
    m_levels.clear();
    m_marks.clear();
    m_blockSamples = 0;
    m_blockSquares = 0;
    m_drained = m_buffer.isEmpty();
}

void AudioPlayer::feed() {
    if (!m_paused) {
        qint64 wanted = m_output->samplesWanted();
        while (wanted > 0) {
            const PcmBuffer::Chunk chunk = m_buffer.read(size_t(wanted));
            if (chunk.samples.empty() && chunk.marks.empty())
                break;
            const qint64 first = m_output->samplesWritten();
            m_output->write(chunk.samples.data(), qint64(chunk.samples.size()));
            collectLevels(chunk, first);
            collectMarks(chunk, first);
            wanted -= qint64(chunk.samples.size());
        }
    }
    reportPlayedLevels();
    reportPlayedMarks();
    m_drained = m_levels.empty() && m_marks.empty() && m_blockSamples == 0 && m_buffer.isEmpty() &&
                m_output->samplesPlayed() >= m_output->samplesWritten();
}

// Every 50 ms block written gets a level, reported once the block has been heard.
void AudioPlayer::collectLevels(const PcmBuffer::Chunk& chunk, qint64 firstSample) {
    if (chunk.stream != m_blockStream) {
        m_blockStream = chunk.stream;
        m_streamPosition = 0;
        Q_EMIT streamStarted(chunk.stream);
    }
    qint64 sampleEnd = firstSample;
    for (const qint16 sample : chunk.samples) {
        m_blockSquares += double(sample) * sample;
        ++sampleEnd;
        ++m_streamPosition;
        if (++m_blockSamples == LevelBlock) {
            const double rms = std::sqrt(m_blockSquares / double(LevelBlock));
            m_levels.push_back({sampleEnd, m_blockStream, m_streamPosition * 2,
                                int(std::lround(rms * LevelScale))});
            m_blockSamples = 0;
            m_blockSquares = 0;
        }
    }
}

// Runs after collectLevels, which has counted the chunk into the stream position.
void AudioPlayer::collectMarks(const PcmBuffer::Chunk& chunk, qint64 firstSample) {
    const qint64 streamFirst = m_streamPosition - qint64(chunk.samples.size());
    for (const SpeechMark& mark : chunk.marks) {
        const qint64 offset = qint64(mark.sample);
        m_marks.push_back({firstSample + offset, chunk.stream, (streamFirst + offset) * 2, mark});
    }
}

void AudioPlayer::reportPlayedMarks() {
    const qint64 played = m_output->samplesPlayed();
    while (!m_marks.empty() && m_marks.front().sample <= played) {
        const PendingMark heard = m_marks.front();
        m_marks.pop_front();
        Q_EMIT markHeard(heard.stream, heard.position, heard.mark);
    }
}

void AudioPlayer::reportPlayedLevels() {
    const qint64 played = m_output->samplesPlayed();
    while (!m_levels.empty() && m_levels.front().endSample <= played) {
        const PendingLevel heard = m_levels.front();
        m_levels.pop_front();
        Q_EMIT level(heard.stream, heard.position, heard.level);
    }
    // A last partial block is flushed once everything else is heard.
    if (m_levels.empty() && m_blockSamples > 0 && played >= m_output->samplesWritten() &&
        m_buffer.isEmpty()) {
        Q_EMIT level(
            m_blockStream, m_streamPosition * 2,
            int(std::lround(std::sqrt(m_blockSquares / double(m_blockSamples)) * LevelScale)));
        m_blockSamples = 0;
        m_blockSquares = 0;
    }
}
