// libFuzzer target: any bytes from a speech helper are taken apart the same way however the
// reads split them, never set aside more than a block's worth of memory, and a corrupt stream
// stays corrupt.
#include "fuzz_input.h"
#include "platform/speech/helper_stream.h"

#include <cstdint>
#include <cstdlib>
#include <utility>
#include <vector>

namespace {

struct Taken {
    std::vector<std::int16_t> samples;
    std::vector<size_t> pieceEnds; // sample counts at each piece's end
    std::vector<std::pair<std::uint32_t, std::uint32_t>> words;
    bool corrupt = false;

    bool operator==(const Taken&) const = default;
};

void takeBlocks(HelperStream& stream, Taken& taken) {
    for (;;) {
        const HelperStream::Block block = stream.next();
        switch (block.kind) {
        case HelperStream::Block::Incomplete:
            return;
        case HelperStream::Block::Corrupt:
            if (stream.next().kind != HelperStream::Block::Corrupt)
                std::abort();
            taken.corrupt = true;
            return;
        case HelperStream::Block::PieceEnd:
            taken.pieceEnds.push_back(taken.samples.size());
            break;
        case HelperStream::Block::WordStart:
            taken.words.push_back({block.position, block.sample});
            break;
        case HelperStream::Block::Samples:
            if (block.count == 0 || block.count > HelperStream::MaxBlockSamples)
                std::abort();
            taken.samples.insert(taken.samples.end(), block.samples, block.samples + block.count);
            break;
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    HelperStream whole;
    whole.append(reinterpret_cast<const char*>(data), size);
    Taken all;
    takeBlocks(whole, all);

    HelperStream pieces;
    Taken inPieces;
    size_t appended = 0;
    feedInPieces(data, size, [&](const char* bytes, size_t count) {
        pieces.append(bytes, count);
        appended += count;
        if (!inPieces.corrupt)
            takeBlocks(pieces, inPieces);
        if (pieces.waiting() > appended)
            std::abort();
    });
    if (inPieces != all || whole.waiting() != pieces.waiting())
        std::abort();
    // Whatever was not taken is less than one block, or the rest of a corrupt stream.
    if (!all.corrupt &&
        whole.waiting() >= sizeof(std::uint32_t) + 2 * size_t(HelperStream::MaxBlockSamples))
        std::abort();
    return 0;
}
