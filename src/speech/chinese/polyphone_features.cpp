#include "polyphone_features.h"

#include "pinyin_table.h"

#include <initializer_list>

namespace {

constexpr char32_t BeforeText = 1;
constexpr char32_t AfterText = 2;

class KeyHash {
public:
    KeyHash(char32_t target, int featureTemplate) {
        add(target);
        add(quint64(featureTemplate));
    }
    void add(quint64 value) {
        m_hash ^= value;
        m_hash *= 1099511628211ull;
    }
    template <typename T> void add(std::span<const T> values) {
        for (T v : values)
            add(quint64(v));
    }
    quint64 value() const { return m_hash; }

private:
    quint64 m_hash = 14695981039346656037ull;
};

// Digits and Latin letters are alike to the model: what matters is that they are there.
char32_t unitAt(std::span<const char32_t> text, int i) {
    if (i < 0)
        return BeforeText;
    if (i >= int(text.size()))
        return AfterText;
    const char32_t c = text[i];
    if (c >= '0' && c <= '9')
        return '0';
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))
        return 'a';
    return c;
}

PinyinTable::Classes classesAt(std::span<const char32_t> text, int i) {
    if (i < 0 || i >= int(text.size()))
        return {PinyinTable::OutsideText, PinyinTable::OutsideText};
    return PinyinTable::instance().classesOf(text[i]);
}

std::span<const char32_t> wordText(std::span<const char32_t> text,
                                   const QList<SegmentedWord>& words, int index) {
    static constexpr char32_t none[] = {0};
    if (index < 0 || index >= words.size())
        return none;
    return text.subspan(words[index].start, words[index].length);
}

} // namespace

std::array<quint64, PolyphoneFeatureCount> polyphoneFeatures(std::span<const char32_t> text, int at,
                                                             const QList<SegmentedWord>& words,
                                                             int wordIndex, quint16 lexiconSyllable,
                                                             std::span<const quint16> dictionary) {
    const char32_t target = text[at];
    const auto c = [&](int offset) { return quint64(unitAt(text, at + offset)); };
    const SegmentedWord& word = words[wordIndex];
    std::array<quint64, PolyphoneFeatureCount> keys{};
    int next = 0;
    const auto key = [&]<typename T = char32_t>(std::initializer_list<quint64> values,
                                                std::span<const T> tail = {}) {
        KeyHash hash(target, next);
        for (quint64 v : values)
            hash.add(v);
        hash.add(tail);
        keys[next++] = hash.value();
    };
    key({});
    key({c(-1)});
    key({c(-2)});
    key({c(1)});
    key({c(2)});
    key({c(-2), c(-1)});
    key({c(-1), c(1)});
    key({c(1), c(2)});
    key({quint64(at - word.start)}, text.subspan(word.start, word.length));
    key({lexiconSyllable, word.length > 1});
    key({}, wordText(text, words, wordIndex - 1));
    key({}, wordText(text, words, wordIndex + 1));
    const PinyinTable::Classes before = classesAt(text, at - 1);
    const PinyinTable::Classes after = classesAt(text, at + 1);
    key({before.coarse});
    key({after.coarse});
    key({before.fine});
    key({after.fine});
    if (dictionary.empty())
        keys[next] = NoFeature;
    else
        key({}, dictionary);
    return keys;
}
