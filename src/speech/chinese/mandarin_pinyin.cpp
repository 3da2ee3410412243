#include "mandarin_pinyin.h"

#include "app/code_points.h"
#include "pinyin_table.h"
#include "pinyin_traditional.h"
#include "polyphone_model.h"
#include "word_segmenter.h"

#include <vector>

namespace {

// The syllables as strings made once, so that each reading shares one.
const QString& syllableText(quint16 id) {
    static const QList<QString> texts = [] {
        const PinyinTable& table = PinyinTable::instance();
        QList<QString> out;
        for (int i = 0; i < table.syllableCount(); ++i)
            out.append(QString(table.syllable(quint16(i))));
        return out;
    }();
    return texts[id];
}

// The 儿 that ends a word the lexicon reads with a neutral er (一点儿, 这儿) only adds an r to
// the syllable before it; the labelled sentences hold no such use for the model to learn.
bool isRetroflexEnding(std::span<const char32_t> text, const SegmentedWord& word, int at,
                       quint16 inWord) {
    return text[at] == U'儿' && word.length > 1 && at == word.start + word.length - 1 &&
           inWord != PinyinTable::NoSyllable &&
           PinyinTable::instance().syllable(inWord) == QLatin1String("er5");
}

quint16 readingInContext(std::span<const char32_t> text, const QList<SegmentedWord>& words,
                         int wordIndex, int at) {
    const PinyinTable& table = PinyinTable::instance();
    const SegmentedWord& word = words[wordIndex];
    const quint16 usual = table.usualSyllable(text[at]);
    quint16 inWord = word.entry ? word.entry->changedSyllable(at - word.start) : usual;
    if (inWord == PinyinTable::NoSyllable)
        inWord = usual;
    const std::span<const quint16> readings = table.modelReadings(text[at]);
    if (readings.empty() || isRetroflexEnding(text, word, at, inWord))
        return inWord;
    DictionaryReadings dictionary = dictionaryReadingsAt(text, at, words, wordIndex);
    const PolyphoneContext context{
        polyphoneFeatures(text, at, words, wordIndex, inWord, dictionary.longest), inWord,
        word.length > 1 && word.entry.has_value(), usual, std::move(dictionary)};
    return choosePolyphoneReading(readings, context);
}

} // namespace

namespace MandarinPinyin {

QList<QString> readings(const QString& text) {
    std::vector<char32_t> characters;
    std::vector<qsizetype> units;
    characters.reserve(std::size_t(text.size()));
    units.reserve(std::size_t(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        units.push_back(i);
        characters.push_back(codePointAt(text, i));
        i += unitsOfCharacterAt(text, i) - 1;
    }
    simplifyChinese(characters);

    QList<QString> out(text.size());
    const QList<SegmentedWord> words = segmentWords(characters);
    for (int w = 0; w < words.size(); ++w) {
        for (int at = words[w].start; at < words[w].start + words[w].length; ++at) {
            const quint16 syllable = readingInContext(characters, words, w, at);
            if (syllable != PinyinTable::NoSyllable)
                out[units[std::size_t(at)]] = syllableText(syllable);
        }
    }
    return out;
}

QString pinyinLine(const QString& line) {
    const QList<QString> syllables = readings(line);
    QStringList tokens;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const qsizetype units = unitsOfCharacterAt(line, i);
        if (!syllables[i].isEmpty())
            tokens.append(syllables[i]);
        else if (line[i].isSpace())
            tokens.append(QStringLiteral("_"));
        else
            tokens.append(line.mid(i, units));
        if (units == 2)
            ++i;
    }
    return tokens.join(u' ');
}

} // namespace MandarinPinyin
