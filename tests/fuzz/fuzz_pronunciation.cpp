// libFuzzer target: any bytes read as a pronunciation dictionary, applied to a sample and to
// the file's own text, give a spoken text whose every position maps into the written one, in
// order; and the rules written back read as the same rules.
#include "fuzz_input.h"
#include "speech/pronunciation_file.h"

#include <QFile>
#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace {

void check(const PronunciationDictionary& dictionary, const QString& written) {
    const SpokenText spoken = dictionary.spoken(written);
    if (spoken.positions.size() != size_t(spoken.text.size()) + 1 ||
        spoken.positions.back() != written.size() ||
        !std::is_sorted(spoken.positions.begin(), spoken.positions.end()) ||
        spoken.positions.front() < 0)
        std::abort();
    for (int at = 0; at <= spoken.text.size(); ++at) {
        if (spoken.writtenEnd(at) < spoken.writtenStart(at) ||
            spoken.writtenEnd(at) > written.size())
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const InputFile input(data, size);
    const PronunciationList list = PronunciationFile(input.path()).read();
    const PronunciationDictionary dictionary(list.rules());
    check(dictionary, QStringLiteral("Call XYZ now.\n银行行长说。 re:x 𠀀 A股 colour\u2029end"));
    QFile file(input.path());
    if (file.open(QIODevice::ReadOnly))
        check(dictionary, QString::fromUtf8(file.readAll()));
    if (parsePronunciation(pronunciationText(list)).rules() != list.rules())
        std::abort();
    return 0;
}
