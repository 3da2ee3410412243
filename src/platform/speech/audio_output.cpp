#include "audio_output.h"

#include <QAudioSink>
#include <QElapsedTimer>
#include <QMediaDevices>
#include <cstdio>

namespace {

class DeviceOutput : public AudioOutput {
public:
    DeviceOutput(const QAudioDevice& device, const QAudioFormat& format)
        : m_device(device), m_format(format) {
        open();
    }
    bool isOpen() const { return m_io != nullptr; }

    qint64 samplesWanted() override { return m_sink->bytesFree() / BytesPerSample; }
    void write(const qint16* samples, qint64 count) override {
        m_io->write(reinterpret_cast<const char*>(samples), count * BytesPerSample);
        m_written += count;
    }
    qint64 samplesWritten() const override { return m_written; }
    qint64 samplesPlayed() override {
        const qint64 queued = (m_sink->bufferSize() - m_sink->bytesFree()) / BytesPerSample;
        return m_written - std::max<qint64>(0, queued);
    }
    void suspend() override { m_sink->suspend(); }
    void resume() override { m_sink->resume(); }
    // The stream stays open: opening a new one takes the sound server a second or more. What
    // it still holds (under 60 ms) plays out.
    void reset() override { m_sink->resume(); }

private:
    static constexpr int BytesPerSample = 2;

    void open() {
        m_sink = std::make_unique<QAudioSink>(m_device, m_format);
        m_sink->setBufferSize(m_format.bytesForDuration(60'000));
        m_io = m_sink->start();
        m_written = 0;
    }

    QAudioDevice m_device;
    QAudioFormat m_format;
    std::unique_ptr<QAudioSink> m_sink;
    QIODevice* m_io = nullptr;
    qint64 m_written = 0;
};

class ClockOutput : public AudioOutput {
public:
    explicit ClockOutput(int sampleRate) : m_rate(sampleRate) { m_clock.start(); }

    qint64 samplesWanted() override {
        advance();
        // Keep 100 ms ahead of what is heard, as a device buffer would.
        return m_suspended ? 0 : std::max<qint64>(0, m_played + m_rate / 10 - m_written);
    }
    void write(const qint16*, qint64 count) override { m_written += count; }
    qint64 samplesWritten() const override { return m_written; }
    qint64 samplesPlayed() override {
        advance();
        return m_played;
    }
    void suspend() override {
        advance();
        m_suspended = true;
    }
    void resume() override {
        advance();
        m_suspended = false;
    }
    void reset() override {
        advance();
        m_written = m_played;
        m_suspended = false;
    }

private:
    // Time passes for the samples written but not yet heard, never for silence.
    void advance() {
        const qint64 now = m_clock.nsecsElapsed();
        const qint64 nanoseconds = now - m_last + m_carry;
        m_last = now;
        m_carry = 0;
        if (m_suspended || m_played >= m_written)
            return;
        const qint64 heard = nanoseconds * m_rate / 1'000'000'000;
        m_carry = nanoseconds - heard * 1'000'000'000 / m_rate;
        m_played = std::min(m_written, m_played + heard);
    }

    int m_rate;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_carry = 0;
    qint64 m_written = 0;
    qint64 m_played = 0;
    bool m_suspended = false;
};

} // namespace

std::unique_ptr<AudioOutput> AudioOutput::open(int sampleRate) {
    QAudioFormat format;
    format.setSampleRate(sampleRate);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Int16);
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (!device.isNull()) {
        auto output = std::make_unique<DeviceOutput>(device, format);
        if (output->isOpen())
            return output;
    }
    std::fputs("parlora: no sound device; speech runs silently\n", stderr);
    return std::make_unique<ClockOutput>(sampleRate);
}
