#pragma once

#include <span>

// Replaces each traditional Chinese character of text by its simplified form, one character
// for one so that positions stay, through the system's conversion library, opened on first
// use; characters the lexicon writes as they are stay. Without that library the text stays as
// it is.
void simplifyChinese(std::span<char32_t> text);
