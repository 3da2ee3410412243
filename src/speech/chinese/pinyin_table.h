#pragma once

#include <QLatin1StringView>
#include <QtGlobal>

#include <cstdint>
#include <span>

// The reading table built by data/mandarin/make_table.py and linked into the program, read in
// place: the lexicon's words with their costs and readings, each character's usual reading,
// the polyphone model's weights and a second dictionary's words for it. Its layout is
// described in data/mandarin/table_writer.py.
class PinyinTable {
public:
    static constexpr quint16 NoSyllable = 0xffff;
    static constexpr int SyllableSize = 8;

    // One word of the lexicon.
    class Word {
    public:
        explicit Word(const quint16* record) : m_record(record) {}
        int length() const { return m_record[0] & 0x1f; }
        int cost() const { return m_record[0] >> 8; }
        // The syllable of the word's k-th character, when the word reads it otherwise than usual.
        quint16 changedSyllable(int k) const;

    private:
        const quint16* m_record;
    };

    // One word of the second dictionary, with each of its readings.
    class DictionaryWord {
    public:
        explicit DictionaryWord(const quint16* record) : m_record(record) {}
        int length() const { return m_record[0] & 0x1f; }
        int readingCount() const { return (m_record[0] >> 5) & 7; }
        quint16 syllable(int reading, int k) const {
            return m_record[1 + length() * (1 + reading) + k];
        }

    private:
        const quint16* m_record;
    };

    static const PinyinTable& instance();

    int syllableCount() const { return int(m_syllables.size()) / SyllableSize; }
    QLatin1StringView syllable(quint16 id) const;
    quint16 usualSyllable(char32_t c) const;
    // A character the lexicon writes so, which the conversion to simplified forms must keep.
    bool keptAsWritten(char32_t c) const;

    // Where a character stands in text, grouped coarsely and finely
    // (data/mandarin/character_classes.py); UnknownClass for characters too rare to have one.
    static constexpr quint16 UnknownClass = 0x100;
    static constexpr quint16 OutsideText = 0x101;
    struct Classes {
        quint16 coarse;
        quint16 fine;
    };
    Classes classesOf(char32_t c) const;

    // Calls found(Word) for each word of the lexicon that text starts with, shortest first.
    template <typename Found> void wordsAt(std::span<const char32_t> text, Found found) const {
        m_words.startingAt(text, [&](const quint16* record) { found(Word(record)); });
    }
    // The same over the second dictionary's words, with found(DictionaryWord).
    template <typename Found>
    void dictionaryWordsAt(std::span<const char32_t> text, Found found) const {
        m_dictionaryWords.startingAt(text,
                                     [&](const quint16* record) { found(DictionaryWord(record)); });
    }

    // The readings the model chooses among for c, most frequent first; empty when it has none.
    std::span<const quint16> modelReadings(char32_t c) const;
    // The weights of a feature, one for each of its character's readings, or nullptr.
    const qint16* featureWeights(quint64 key) const;
    const qint16* sharedWeights() const { return m_weights; }

private:
    PinyinTable(const unsigned char* data, std::size_t size);

    // Records sorted by their words' UTF-16 units, each starting with the word's length in the
    // low five bits of its first value and then its units.
    class WordList {
    public:
        WordList() = default;
        WordList(std::span<const quint32> index, const quint16* records)
            : m_index(index), m_records(records) {}
        // Calls found(record) for each word that text starts with, shortest first.
        template <typename Found>
        void startingAt(std::span<const char32_t> text, Found found) const;

    private:
        const quint16* record(quint32 word) const { return m_records + m_index[word]; }
        int unitAt(quint32 word, int depth) const;
        std::pair<quint32, quint32> narrow(std::pair<quint32, quint32> range, int depth,
                                           char32_t unit) const;

        std::span<const quint32> m_index;
        const quint16* m_records = nullptr;
    };

    struct Character {
        quint16 code;
        quint16 syllable; // 0x8000: kept as written
    };
    const Character* character(char32_t c) const;
    struct CharacterClass {
        quint16 code;
        quint8 coarse;
        quint8 fine;
    };
    struct ModelCharacter {
        quint16 code;
        quint16 readingCount;
        quint32 firstReading;
    };

    std::span<const char> m_syllables;
    std::span<const Character> m_characters;
    WordList m_words;
    std::span<const CharacterClass> m_classes;
    std::span<const ModelCharacter> m_modelCharacters;
    const quint16* m_readings;
    std::span<const quint64> m_featureKeys;
    const quint32* m_featureWeights;
    const qint16* m_weights;
    WordList m_dictionaryWords;
};

template <typename Found>
void PinyinTable::WordList::startingAt(std::span<const char32_t> text, Found found) const {
    std::pair<quint32, quint32> range{0, quint32(m_index.size())};
    for (int depth = 0; depth < int(text.size()) && text[depth] <= 0xffff; ++depth) {
        range = narrow(range, depth, text[depth]);
        if (range.first == range.second)
            return;
        const quint16* first = record(range.first);
        if ((first[0] & 0x1f) == depth + 1)
            found(first);
    }
}
