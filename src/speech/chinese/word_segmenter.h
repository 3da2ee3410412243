#pragma once

#include "pinyin_table.h"

#include <QList>

#include <optional>
#include <span>

// A piece of text as the segmentation cut it: a word of the lexicon, or one character that
// starts none.
struct SegmentedWord {
    int start;
    int length;
    std::optional<PinyinTable::Word> entry;
};

// The cheapest cut of text into the lexicon's words, a word costing what its rarity does and a
// character outside the lexicon more than any; of equal costs, the longer word. Mirrored by
// data/mandarin/word_segmenter.py, which trains the polyphone model on the same cuts.
QList<SegmentedWord> segmentWords(std::span<const char32_t> text);
