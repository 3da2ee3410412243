#pragma once

#include "word_segmenter.h"

#include <QVarLengthArray>

#include <span>

// The second dictionary's readings of a character (syllable ids, sorted): in the longest of
// its words that cover the character (of equally long ones, the one that starts first), and
// in any of them. Its words that cross a word of the lexicon's cut are left out (说中 in
// 小说中). Mirrored by data/mandarin/dictionary_words.py.
struct DictionaryReadings {
    using Syllables = QVarLengthArray<quint16, 4>;
    Syllables longest;
    Syllables anywhere;
};

DictionaryReadings dictionaryReadingsAt(std::span<const char32_t> text, int at,
                                        const QList<SegmentedWord>& words, int wordIndex);
