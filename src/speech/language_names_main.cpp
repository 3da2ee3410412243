// Writes the Chinese names of the engine's languages, as ICU gives them, into a C++ source of
// the program: the voice list then needs no ICU look-up when the window starts.
// Usage: parlora-language-names <output.cpp>
#include "icu_language_name.h"

#include <QFile>
#include <QStringList>
#include <cstdio>
#include <espeak-ng/speak_lib.h>

namespace {

QByteArray quoted(const QString& text) {
    QByteArray out = "\"";
    for (const char c : text.toUtf8()) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + '"';
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output.cpp>\n", argv[0]);
        return 2;
    }
    if (espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, 0) < 0) {
        std::fprintf(stderr, "%s: the speech engine's data cannot be loaded\n", argv[0]);
        return 1;
    }
    QStringList tags;
    for (const espeak_VOICE** v = espeak_ListVoices(nullptr); v && *v; ++v)
        tags << QString::fromUtf8((*v)->languages + 1);
    espeak_Terminate();
    tags.sort();
    tags.removeDuplicates();

    QByteArray source = "// Written by parlora-language-names when the program was built.\n"
                        "#include \"speech/built_language_names.h\"\n\n"
                        "namespace {\n\n"
                        "constexpr BuiltLanguageName Names[] = {\n";
    for (const QString& tag : tags)
        source += "    {" + quoted(tag) + ", " + quoted(icuLanguageName(tag)) + "},\n";
    source += "};\n\n} // namespace\n\n"
              "std::span<const BuiltLanguageName> builtLanguageNames() {\n"
              "    return Names;\n}\n";
    QFile out(QString::fromLocal8Bit(argv[1]));
    if (!out.open(QIODevice::WriteOnly) || out.write(source) != source.size()) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
        return 1;
    }
    return 0;
}
