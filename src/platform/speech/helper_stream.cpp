#include "platform/speech/helper_stream.h"

#include <cstring>

void HelperStream::append(const char* data, std::size_t size) {
    // Taken bytes are dropped once they are the larger part, so each byte moves about once.
    if (m_start > 0 && m_start >= waiting()) {
        m_bytes.erase(m_bytes.begin(), m_bytes.begin() + std::ptrdiff_t(m_start));
        m_start = 0;
    }
    m_bytes.insert(m_bytes.end(), data, data + size);
}

HelperStream::Block HelperStream::next() {
    std::uint32_t count = 0;
    if (waiting() < sizeof count)
        return {};
    std::memcpy(&count, m_bytes.data() + m_start, sizeof count);
    if (count == MarkTag) {
        std::uint32_t mark[2];
        if (waiting() < sizeof count + sizeof mark)
            return {};
        std::memcpy(mark, m_bytes.data() + m_start + sizeof count, sizeof mark);
        m_start += sizeof count + sizeof mark;
        return {Block::WordStart, nullptr, 0, mark[0], mark[1]};
    }
    if (count > MaxBlockSamples)
        return {Block::Corrupt};
    if (count == 0) {
        m_start += sizeof count;
        return {Block::PieceEnd};
    }
    const std::size_t size = std::size_t(count) * sizeof(std::int16_t);
    if (waiting() < sizeof count + size)
        return {};
    // Copied out, so the samples are aligned whatever the buffer's own alignment.
    m_block.resize(count);
    std::memcpy(m_block.data(), m_bytes.data() + m_start + sizeof count, size);
    m_start += sizeof count + size;
    return {Block::Samples, m_block.data(), count};
}
