// libFuzzer target: any bytes from the key module's pipe give the same keys however the reads
// split them, and only keystrokes.
#include "echo/key_names.h"
#include "echo/key_stream.h"
#include "fuzz_input.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    KeyStream whole;
    const std::vector<std::uint32_t> keys = whole.feed(reinterpret_cast<const char*>(data), size);
    KeyStream pieces;
    std::vector<std::uint32_t> fromPieces;
    feedInPieces(data, size, [&](const char* bytes, size_t count) {
        const std::vector<std::uint32_t> more = pieces.feed(bytes, count);
        fromPieces.insert(fromPieces.end(), more.begin(), more.end());
    });
    if (fromPieces != keys || keys.size() > size / 4)
        std::abort();
    for (const std::uint32_t key : keys) {
        if (!isKeystroke(key))
            std::abort();
    }
    return 0;
}
