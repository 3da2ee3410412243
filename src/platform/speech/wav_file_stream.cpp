#include "wav_file_stream.h"

#include "app/app_error.h"

#include "resampler.h"
#include <sndfile.h>

namespace {
constexpr size_t QueueLimit = 1 << 20; // samples in flight, about a minute of speech

struct FileFormat {
    int type;
    int sndfileFormat;
    int rate; // 0: the engine's own
};
constexpr FileFormat Formats[] = {
    {SpeechFileStream::Format16kHz16BitMono, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 16000},
    {SpeechFileStream::FormatMp3, SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, 0},
    {SpeechFileStream::FormatOggVorbis, SF_FORMAT_OGG | SF_FORMAT_VORBIS, 0},
    {SpeechFileStream::FormatOpus, SF_FORMAT_OGG | SF_FORMAT_OPUS,
     24000}, // Opus takes no 22.05 kHz
    {SpeechFileStream::FormatFlac, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 0},
};

const FileFormat* findFormat(int type) {
    for (const FileFormat& format : Formats) {
        if (format.type == type)
            return &format;
    }
    return nullptr;
}
} // namespace

WavFileStream::WavFileStream(int inputRate) : m_inputRate(inputRate) {}

WavFileStream::~WavFileStream() {
    try {
        Close();
    } catch (const AppError&) {
        // Nothing to report to at destruction.
    }
}

void WavFileStream::setFormatType(int type) {
    if (!findFormat(type))
        throw AppError(QStringLiteral("不支持的音频格式 %1").arg(type));
    m_formatType = type;
}

void WavFileStream::Open(const QString& path, int, bool) {
    Close();
    const FileFormat& format = *findFormat(m_formatType);
    m_outputRate = format.rate ? format.rate : m_inputRate;
    SF_INFO info{};
    info.samplerate = m_outputRate;
    info.channels = 1;
    info.format = format.sndfileFormat;
    m_file = sf_open(path.toLocal8Bit().constData(), SFM_WRITE, &info);
    if (!m_file)
        throw AppError(QStringLiteral("无法创建文件 %1").arg(path));
    m_path = path;
    {
        std::lock_guard lock(m_mutex);
        m_closing = false;
        m_failed = false;
        m_open = true;
    }
    m_writer = std::thread(&WavFileStream::run, this);
}

bool WavFileStream::write(const qint16* samples, size_t count, int generation) {
    return enqueue(samples, count, true, generation);
}

bool WavFileStream::writeSamples(const qint16* samples, size_t count) {
    int generation = 0;
    {
        std::lock_guard lock(m_mutex);
        generation = m_generation;
    }
    return enqueue(samples, count, false, generation);
}

bool WavFileStream::enqueue(const qint16* samples, size_t count, bool resample, int generation) {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] {
        return m_generation != generation || m_queuedSamples < QueueLimit || !m_open;
    });
    if (m_generation != generation || !m_open)
        return false;
    m_queue.push_back({std::vector<qint16>(samples, samples + count), resample});
    m_queuedSamples += count;
    m_changed.notify_all();
    return true;
}

void WavFileStream::cancel(int newGeneration) {
    std::lock_guard lock(m_mutex);
    m_generation = newGeneration;
    m_queue.clear();
    m_queuedSamples = 0;
    m_changed.notify_all();
}

bool WavFileStream::isIdle() const {
    std::lock_guard lock(m_mutex);
    return m_queue.empty() && !m_busy;
}

void WavFileStream::run() {
    std::vector<qint16> out;
    for (;;) {
        Block block;
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [&] { return !m_queue.empty() || m_closing; });
            if (m_queue.empty())
                break;
            block = std::move(m_queue.front());
            m_queue.pop_front();
            m_queuedSamples -= block.samples.size();
            m_busy = true;
            m_changed.notify_all();
        }
        const std::vector<qint16>* samples = &block.samples;
        if (block.resample && !m_resampler) {
            // Made with the first block that needs it: helpers send samples at the file's rate.
            m_resampler = createResampler(m_inputRate, m_outputRate);
        }
        if (block.resample && m_resampler) {
            out.resize(block.samples.size() * size_t(m_outputRate) / size_t(m_inputRate) + 64);
            size_t produced = 0;
            soxr_process(m_resampler, block.samples.data(), block.samples.size(), nullptr,
                         out.data(), out.size(), &produced);
            out.resize(produced);
            samples = &out;
        }
        const auto count = sf_count_t(samples->size());
        const bool ok = (!block.resample || m_resampler) &&
                        sf_write_short(m_file, samples->data(), count) == count;
        std::lock_guard lock(m_mutex);
        m_failed = m_failed || !ok;
        m_busy = false;
        m_changed.notify_all();
    }
    if (!m_resampler)
        return;
    // Drain the resampler's tail.
    out.resize(4096);
    size_t produced = 0;
    do {
        soxr_process(m_resampler, nullptr, 0, nullptr, out.data(), out.size(), &produced);
        sf_write_short(m_file, out.data(), sf_count_t(produced));
    } while (produced > 0);
}

void WavFileStream::Close() {
    if (!m_writer.joinable())
        return;
    {
        std::lock_guard lock(m_mutex);
        m_closing = true;
        m_open = false;
        m_changed.notify_all();
    }
    m_writer.join();
    soxr_delete(m_resampler);
    m_resampler = nullptr;
    const bool closed = sf_close(m_file) == 0;
    m_file = nullptr;
    if (m_failed || !closed)
        throw AppError(QStringLiteral("无法写入文件 %1").arg(m_path));
}
