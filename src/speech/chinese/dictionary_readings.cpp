#include "dictionary_readings.h"

#include "pinyin_table.h"

#include <algorithm>

namespace {

constexpr int LongestWord = 8;

void addTo(DictionaryReadings::Syllables& set, quint16 syllable) {
    const auto place = std::lower_bound(set.begin(), set.end(), syllable);
    if (place == set.end() || *place != syllable)
        set.insert(place, syllable);
}

// [start, end) overlaps a word of two or more characters without either holding the other;
// words[wordIndex] holds a character of it.
bool crossesAWord(int start, int end, const QList<SegmentedWord>& words, int wordIndex) {
    const auto crosses = [&](const SegmentedWord& word) {
        const int wordEnd = word.start + word.length;
        return word.length > 1 && !(start <= word.start && wordEnd <= end) &&
               !(word.start <= start && end <= wordEnd);
    };
    for (int k = wordIndex; k >= 0 && words[k].start + words[k].length > start; --k)
        if (crosses(words[k]))
            return true;
    for (int k = wordIndex + 1; k < words.size() && words[k].start < end; ++k)
        if (crosses(words[k]))
            return true;
    return false;
}

} // namespace

DictionaryReadings dictionaryReadingsAt(std::span<const char32_t> text, int at,
                                        const QList<SegmentedWord>& words, int wordIndex) {
    DictionaryReadings out;
    int longest = 0;
    for (int start = std::max(0, at - LongestWord + 1); start <= at; ++start) {
        const auto from =
            text.subspan(start, std::min(std::size_t(LongestWord), text.size() - start));
        PinyinTable::instance().dictionaryWordsAt(from, [&](PinyinTable::DictionaryWord word) {
            if (start + word.length() <= at ||
                crossesAWord(start, start + word.length(), words, wordIndex))
                return;
            DictionaryReadings::Syllables here;
            for (int r = 0; r < word.readingCount(); ++r)
                addTo(here, word.syllable(r, at - start));
            for (quint16 syllable : here)
                addTo(out.anywhere, syllable);
            if (word.length() > longest) {
                longest = word.length();
                out.longest = here;
            }
        });
    }
    return out;
}
