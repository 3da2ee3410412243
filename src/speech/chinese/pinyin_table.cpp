#include "pinyin_table.h"

#include <algorithm>
#include <bit>
#include <cstring>

extern "C" const unsigned char parlora_mandarin_pinyin[];
extern "C" const unsigned char parlora_mandarin_pinyin_end[];

namespace {

constexpr quint32 Magic = 0x4e594e50;
constexpr quint32 Version = 3;
constexpr quint16 KeptAsWritten = 0x8000;

enum Field {
    FieldMagic,
    FieldVersion,
    SyllableCount,
    Syllables,
    CharacterCount,
    Characters,
    WordCount,
    WordIndex,
    Words,
    ClassCount,
    ClassTable,
    ModelCharacterCount,
    ModelCharacters,
    Readings,
    FeatureCount,
    FeatureKeys,
    FeatureWeights,
    Weights,
    DictionaryWordCount,
    DictionaryIndex,
    DictionaryWords,
    FieldCount
};

template <typename T> const T* at(const unsigned char* data, quint32 offset) {
    return reinterpret_cast<const T*>(data + offset);
}

} // namespace

quint16 PinyinTable::Word::changedSyllable(int k) const {
    if (!(m_record[0] & 0x20))
        return NoSyllable;
    const quint16* after = m_record + 1 + length();
    const quint16 mask = after[0];
    if (!(mask & (1u << k)))
        return NoSyllable;
    return after[1 + std::popcount(quint16(mask & ((1u << k) - 1)))];
}

const PinyinTable& PinyinTable::instance() {
    static const PinyinTable table(
        parlora_mandarin_pinyin,
        std::size_t(parlora_mandarin_pinyin_end - parlora_mandarin_pinyin));
    return table;
}

PinyinTable::PinyinTable(const unsigned char* data, std::size_t size) {
    quint32 h[FieldCount];
    Q_ASSERT(size >= sizeof h);
    std::memcpy(h, data, sizeof h);
    Q_ASSERT(h[FieldMagic] == Magic && h[FieldVersion] == Version);
    Q_UNUSED(size);
    m_syllables = {at<char>(data, h[Syllables]), std::size_t(h[SyllableCount]) * SyllableSize};
    m_characters = {at<Character>(data, h[Characters]), h[CharacterCount]};
    m_words = {{at<quint32>(data, h[WordIndex]), h[WordCount]}, at<quint16>(data, h[Words])};
    m_classes = {at<CharacterClass>(data, h[ClassTable]), h[ClassCount]};
    m_modelCharacters = {at<ModelCharacter>(data, h[ModelCharacters]), h[ModelCharacterCount]};
    m_readings = at<quint16>(data, h[Readings]);
    m_featureKeys = {at<quint64>(data, h[FeatureKeys]), h[FeatureCount]};
    m_featureWeights = at<quint32>(data, h[FeatureWeights]);
    m_weights = at<qint16>(data, h[Weights]);
    m_dictionaryWords = {{at<quint32>(data, h[DictionaryIndex]), h[DictionaryWordCount]},
                         at<quint16>(data, h[DictionaryWords])};
}

QLatin1StringView PinyinTable::syllable(quint16 id) const {
    const char* name = m_syllables.data() + std::size_t(id) * SyllableSize;
    return QLatin1StringView(name, qsizetype(strnlen(name, SyllableSize)));
}

const PinyinTable::Character* PinyinTable::character(char32_t c) const {
    const auto found = std::lower_bound(m_characters.begin(), m_characters.end(), c,
                                        [](const Character& e, char32_t v) { return e.code < v; });
    return found != m_characters.end() && found->code == c ? &*found : nullptr;
}

quint16 PinyinTable::usualSyllable(char32_t c) const {
    const Character* found = character(c);
    return found ? found->syllable & ~KeptAsWritten : NoSyllable;
}

bool PinyinTable::keptAsWritten(char32_t c) const {
    const Character* found = character(c);
    return found && (found->syllable & KeptAsWritten);
}

PinyinTable::Classes PinyinTable::classesOf(char32_t c) const {
    const auto found =
        std::lower_bound(m_classes.begin(), m_classes.end(), c,
                         [](const CharacterClass& e, char32_t v) { return e.code < v; });
    if (found == m_classes.end() || found->code != c)
        return {UnknownClass, UnknownClass};
    return {found->coarse, found->fine};
}

int PinyinTable::WordList::unitAt(quint32 word, int depth) const {
    const quint16* units = record(word);
    return depth < (units[0] & 0x1f) ? units[1 + depth] : -1;
}

std::pair<quint32, quint32> PinyinTable::WordList::narrow(std::pair<quint32, quint32> range,
                                                          int depth, char32_t unit) const {
    // Within the range every word shares the first depth units, so they are sorted by the next.
    quint32 low = range.first, high = range.second;
    while (low < high) {
        const quint32 middle = low + (high - low) / 2;
        if (unitAt(middle, depth) < int(unit))
            low = middle + 1;
        else
            high = middle;
    }
    quint32 end = low;
    high = range.second;
    while (end < high) {
        const quint32 middle = end + (high - end) / 2;
        if (unitAt(middle, depth) <= int(unit))
            end = middle + 1;
        else
            high = middle;
    }
    return {low, end};
}

std::span<const quint16> PinyinTable::modelReadings(char32_t c) const {
    const auto found =
        std::lower_bound(m_modelCharacters.begin(), m_modelCharacters.end(), c,
                         [](const ModelCharacter& e, char32_t v) { return e.code < v; });
    if (found == m_modelCharacters.end() || found->code != c)
        return {};
    return {m_readings + found->firstReading, found->readingCount};
}

const qint16* PinyinTable::featureWeights(quint64 key) const {
    const auto found = std::lower_bound(m_featureKeys.begin(), m_featureKeys.end(), key);
    if (found == m_featureKeys.end() || *found != key)
        return nullptr;
    return m_weights + m_featureWeights[found - m_featureKeys.begin()];
}
