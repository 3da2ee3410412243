#include "wav_file_stream.h"

#include "app/app_error.h"

#include "audio_file.h"
#include "resampler.h"

namespace {
constexpr size_t QueueLimit = 1 << 20; // samples in flight, about a minute of speech
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
    if (!isAudioFileFormat(type))
        throw AppError(QStringLiteral("不支持的音频格式 %1").arg(type));
    m_formatType = type;
}

void WavFileStream::Open(const QString& path, int, bool) {
    Close();
    m_outputRate = audioFileRate(m_formatType, m_inputRate);
    m_file = createAudioFile(path, m_formatType, m_outputRate);
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

bool WavFileStream::writeAtFileRate(const qint16* samples, size_t count, int generation) {
    return enqueue(samples, count, false, generation);
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
        const bool ok =
            (!block.resample || m_resampler) && m_file->write(samples->data(), samples->size());
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
        m_file->write(out.data(), produced);
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
    const bool closed = m_file->finish();
    m_file.reset();
    if (m_failed || !closed)
        throw AppError(QStringLiteral("无法写入文件 %1").arg(m_path));
}
