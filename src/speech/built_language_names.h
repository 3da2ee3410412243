#pragma once

#include <span>

struct BuiltLanguageName {
    const char* tag;
    const char* name; // empty: ICU has no name for the language
};

// The Chinese names of the engine's languages as ICU gave them when the program was built
// (parlora-language-names), sorted by tag. Looking them up when the window starts would map
// nearly 2 MB of ICU's locale data into every running program.
std::span<const BuiltLanguageName> builtLanguageNames();
