#include "pcm_buffer.h"

#include <algorithm>

PcmBuffer::PcmBuffer(size_t capacitySamples) : m_capacity(capacitySamples) {}

bool PcmBuffer::write(const qint16* samples, size_t count, int stream, int generation,
                      std::vector<SpeechMark> marks) {
    std::unique_lock lock(m_mutex);
    size_t done = 0;
    auto nextMark = marks.begin();
    // Marks after the last sample still need a chunk to travel in.
    while (count > 0 || nextMark != marks.end()) {
        m_space.wait(lock, [&] { return m_generation != generation || m_size < m_capacity; });
        if (m_generation != generation)
            return false;
        const size_t taken = std::min(count, m_capacity - m_size);
        if (m_chunks.empty() || m_chunks.back().stream != stream)
            m_chunks.push_back({stream, {}, {}});
        Chunk& tail = m_chunks.back();
        for (; nextMark != marks.end() && (nextMark->sample < done + taken || taken == count);
             ++nextMark) {
            tail.marks.push_back(*nextMark);
            tail.marks.back().sample = nextMark->sample - done + tail.samples.size();
        }
        tail.samples.insert(tail.samples.end(), samples, samples + taken);
        m_size += taken;
        samples += taken;
        count -= taken;
        done += taken;
    }
    return true;
}

PcmBuffer::Chunk PcmBuffer::read(size_t maxSamples) {
    std::lock_guard lock(m_mutex);
    if (m_chunks.empty() || maxSamples == 0)
        return {};
    Chunk& front = m_chunks.front();
    const size_t taken = std::min(maxSamples, front.samples.size());
    if (taken == front.samples.size()) {
        Chunk out = std::move(front);
        m_chunks.pop_front();
        m_size -= taken;
        m_space.notify_all();
        return out;
    }
    Chunk out{front.stream, {front.samples.begin(), front.samples.begin() + taken}, {}};
    front.samples.erase(front.samples.begin(), front.samples.begin() + taken);
    auto firstLeft = front.marks.begin();
    while (firstLeft != front.marks.end() && firstLeft->sample < taken)
        ++firstLeft;
    out.marks.assign(front.marks.begin(), firstLeft);
    front.marks.erase(front.marks.begin(), firstLeft);
    for (SpeechMark& mark : front.marks)
        mark.sample -= taken;
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
    return m_chunks.empty();
}
