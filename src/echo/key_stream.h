#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

// The key module's pipe taken apart: one 32-bit value per key event in this machine's byte
// order, in whatever pieces the reads return. Values that are no keystroke are dropped; the
// start of a value waits for its rest.
class KeyStream {
public:
    // The keystrokes completed by these bytes, in order.
    std::vector<std::uint32_t> feed(const char* bytes, std::size_t size);

private:
    std::array<char, 4> m_partial{};
    std::size_t m_partialSize = 0;
};
