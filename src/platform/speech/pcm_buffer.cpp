#include "pcm_buffer.h"

#include <algorithm>

PcmBuffer::PcmBuffer(size_t capacitySamples) : m_capacity(capacitySamples) {}

bool PcmBuffer::write(const qint16* samples, size_t count, int stream, int generation) {
    std::unique_lock lock(m_mutex);
    while (count > 0) {
        m_space.wait(lock, [&] { return m_generation != generation || m_size < m_capacity; });
        if (m_generation != generation)
            return false;
        const size_t taken = std::min(count, m_capacity - m_size);
        if (m_chunks.empty() || m_chunks.back().stream != stream)
            m_chunks.push_back({stream, {}});
        std::vector<qint16>& tail = m_chunks.back().samples;
        tail.insert(tail.end(), samples, samples + taken);
        m_size += taken;
        samples += taken;
        count -= taken;
    }
    return true;
}

PcmBuffer::Chunk PcmBuffer::read(size_t maxSamples) {
    std::lock_guard lock(m_mutex);
    if (m_chunks.empty() || maxSamples == 0)
        return {};
    Chunk& front = m_chunks.front();
    Chunk out{front.stream, {}};
    const size_t taken = std::min(maxSamples, front.samples.size());
    if (taken == front.samples.size()) {
        out.samples = std::move(front.samples);
        m_chunks.pop_front();
    } else {
        out.samples.assign(front.samples.begin(), front.samples.begin() + taken);
        front.samples.erase(front.samples.begin(), front.samples.begin() + taken);
    }
    m_size -= taken;
    m_space.notify_all();
    return out;
}

void PcmBuffer::cancel(int newGeneration) {
    std::lock_guard lock(m_mutex);
    m_generation = newGeneration;
    m_chunks.clear();
    m_size = 0;
    m_space.notify_all();
}

bool PcmBuffer::isEmpty() const {
    std::lock_guard lock(m_mutex);
    return m_size == 0;
}
