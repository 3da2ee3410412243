// The sound module: the sound device through Qt Multimedia, loaded with the first speech heard.
#include "platform/speech/audio_output.h"

#include <QAudioSink>
#include <QMediaDevices>

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
    // it still holds (the buffer, 25 ms) plays out; a jump is heard within that.
    void reset() override { m_sink->resume(); }

private:
    static constexpr int BytesPerSample = 2;

    void open() {
        m_sink = std::make_unique<QAudioSink>(m_device, m_format);
        // Small, for a jump to cut off at once; the player tops it up every 5 ms.
        m_sink->setBufferSize(m_format.bytesForDuration(25'000));
        m_io = m_sink->start();
        m_written = 0;
    }

    QAudioDevice m_device;
    QAudioFormat m_format;
    std::unique_ptr<QAudioSink> m_sink;
    QIODevice* m_io = nullptr;
    qint64 m_written = 0;
};

} // namespace

extern "C" Q_DECL_EXPORT AudioOutput* parloraOpenSoundDevice(int sampleRate) {
    QAudioFormat format;
    format.setSampleRate(sampleRate);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Int16);
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull())
        return nullptr;
    auto output = std::make_unique<DeviceOutput>(device, format);
    return output->isOpen() ? output.release() : nullptr;
}
