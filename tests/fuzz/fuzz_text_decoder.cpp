// libFuzzer target: any bytes decode and split into lines, and re-encoding the lines gives
// them back.
#include "documents/text_codec.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const QStringList lines = splitLines(decodeText(bytes));
    if (splitLines(decodeText(encodeTextLines(lines))) != lines)
        std::abort();
    return 0;
}
