#include "echo/key_stream.h"

#include "echo/key_names.h"

#include <algorithm>
#include <cstring>

std::vector<std::uint32_t> KeyStream::feed(const char* bytes, std::size_t size) {
    std::vector<std::uint32_t> keys;
    const auto take = [&](const char* value) {
        std::uint32_t lParam = 0;
        std::memcpy(&lParam, value, sizeof lParam);
        if (isKeystroke(lParam))
            keys.push_back(lParam);
    };
    if (m_partialSize > 0) {
        const std::size_t rest = std::min(m_partial.size() - m_partialSize, size);
        std::memcpy(m_partial.data() + m_partialSize, bytes, rest);
        m_partialSize += rest;
        bytes += rest;
        size -= rest;
        if (m_partialSize < m_partial.size())
            return keys;
        take(m_partial.data());
        m_partialSize = 0;
    }
    for (; size >= m_partial.size(); bytes += m_partial.size(), size -= m_partial.size())
        take(bytes);
    std::memcpy(m_partial.data(), bytes, size);
    m_partialSize = size;
    return keys;
}
