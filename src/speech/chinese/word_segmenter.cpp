#include "word_segmenter.h"

#include <vector>

namespace {

constexpr int UnknownCost = 255;

} // namespace

QList<SegmentedWord> segmentWords(std::span<const char32_t> text) {
    const PinyinTable& table = PinyinTable::instance();
    const int n = int(text.size());
    const auto size = std::size_t(n);
    std::vector<int> best(size + 1, 0);
    std::vector<SegmentedWord> step(size);
    for (int i = n - 1; i >= 0; --i) {
        best[i] = UnknownCost + best[i + 1];
        step[i] = {i, 1, std::nullopt};
        table.wordsAt(text.subspan(i), [&](PinyinTable::Word word) {
            const int total = word.cost() + best[i + word.length()];
            if (total < best[i] || (total == best[i] && word.length() > step[i].length)) {
                best[i] = total;
                step[i] = {i, word.length(), word};
            }
        });
    }
    QList<SegmentedWord> words;
    for (int i = 0; i < n; i += step[i].length)
        words.append(step[i]);
    return words;
}
