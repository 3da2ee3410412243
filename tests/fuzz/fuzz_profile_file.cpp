// libFuzzer target: any bytes read as a profile file; what was read writes and reads back to
// the same text, and a value written is the value read.
#include "app/profile_file.h"
#include "fuzz_input.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const InputFile input(data, size);
    ProfileFile profile = ProfileFile::load(input.path());
    const QString text = profile.toText();
    if (ProfileFile::fromText(text).toText() != text)
        std::abort();
    // A section and key the program uses, in the cases a file may hold them.
    const QString section = size > 0 && data[0] % 2 ? QStringLiteral("SET") : QStringLiteral("Set");
    const QString key = size > 1 && data[1] % 2 ? QStringLiteral("VOICE") : QStringLiteral("Voice");
    const QString before =
        profile.readString(QStringLiteral("Other"), QStringLiteral("Voice"), QStringLiteral("-"));
    profile.readInteger(section, key, 7);
    profile.writeString(section, key, QStringLiteral("written"));
    if (profile.readString(QStringLiteral("SET"), QStringLiteral("voice"), QString()) !=
            QStringLiteral("written") ||
        ProfileFile::fromText(profile.toText())
                .readString(QStringLiteral("set"), QStringLiteral("Voice"), QString()) !=
            QStringLiteral("written") ||
        profile.readString(QStringLiteral("Other"), QStringLiteral("Voice"), QStringLiteral("-")) !=
            before)
        std::abort();
    return 0;
}
