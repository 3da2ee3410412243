// libFuzzer target: any text, as the Chinese voices are given it, gives the engine UTF-8 whose
// every character maps into the text, each word ending no earlier than it starts; and its
// pinyin line has one token for each character.
#include "platform/speech/engine_input.h"
#include "speech/chinese/mandarin_pinyin.h"

#include <QString>
#include <cstdint>
#include <cstdlib>

namespace {

void check(const QString& voice, const QString& text) {
    for (const SpeechChunk& chunk : speechChunks(voice, text)) {
        const QString piece = text.sliced(chunk.start, chunk.end - chunk.start);
        const EngineInput input = engineInput(voice, piece);
        if (input.map.size() != size_t(QString::fromUtf8(input.text).toUcs4().size()) + 1)
            std::abort();
        for (int k = 0; k < int(input.map.size()); ++k) {
            const int start = input.start(k);
            if (start < 0 || input.end(k) < start || input.end(k) > piece.size())
                std::abort();
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    for (const char* voice : {"sit/cmn", "sit/cmn-Latn-pinyin", "sit/yue", "gmw/en"})
        check(QString::fromLatin1(voice), text);
    const QString line = text.section(u'\n', 0, 0);
    if (MandarinPinyin::pinyinLine(line).split(u' ').size() !=
        qMax<qsizetype>(line.toUcs4().size(), 1))
        std::abort();
    return 0;
}
