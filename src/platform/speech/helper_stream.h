#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The audio a speech helper sends, taken apart as it arrives: blocks of [uint32 sample count]
// [16-bit samples], a piece ended by a block with a count of 0. Among them, where a word begins:
// [MarkTag][uint32 character position in the piece][uint32 sample in the piece]. The bytes come
// from another process, so every count is checked before anything is set aside for it.
class HelperStream {
public:
    // The helper sends at most 32768 samples a block; anything far beyond is a broken stream.
    static constexpr std::uint32_t MaxBlockSamples = 1u << 20;
    static constexpr std::uint32_t MarkTag = 0xfffffffeu;

    struct Block {
        enum Kind {
            Incomplete, // more bytes are needed
            Samples,
            PieceEnd,
            WordStart, // position and sample are set
            Corrupt,   // a count no helper sends: the stream cannot be followed any further
        };
        Kind kind = Incomplete;
        const std::int16_t* samples = nullptr; // valid until the next append or next
        std::size_t count = 0;
        std::uint32_t position = 0; // the engine's: code points from 1
        std::uint32_t sample = 0;
    };

    void append(const char* data, std::size_t size);
    // The next whole block of what has arrived.
    Block next();

    // Bytes that arrived and were not yet taken as blocks.
    std::size_t waiting() const { return m_bytes.size() - m_start; }

private:
    std::vector<char> m_bytes;
    std::size_t m_start = 0; // always even: every block is a whole number of samples
    std::vector<std::int16_t> m_block;
};
