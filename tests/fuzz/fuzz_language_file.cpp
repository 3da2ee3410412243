// libFuzzer target: any bytes read as a language file give texts that fit a caption: one line,
// no longer than a profile value.
#include "app/language_file.h"
#include "fuzz_input.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const InputFile input(data, size);
    const LanguageFile language = LanguageFile::load(input.path());
    for (const QString& name : {QStringLiteral("Fmain"), QStringLiteral("Fmain.NFile"),
                                QStringLiteral("Fmain.BtnAloud"), QString()}) {
        for (const QString& property :
             {QStringLiteral("Caption"), QStringLiteral("Hint"), QStringLiteral("Text")}) {
            const QString text = language.text(name, property);
            if (text.size() > ProfileFile::MaxValueLength || text.contains(u'\n') ||
                text.contains(u'\r'))
                std::abort();
        }
    }
    return 0;
}
