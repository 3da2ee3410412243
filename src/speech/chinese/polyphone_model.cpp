#include "polyphone_model.h"

#include "pinyin_table.h"

#include <QVarLengthArray>

namespace {

// Indexes of the weights every character shares (data/mandarin/polyphone_training.py).
enum Shared {
    WordReading,
    CharacterReading,
    UsualReading,
    DictionaryOnlyReading,
    DictionaryOneOfReadings,
    DictionaryAnyWord,
    FullToneOfNeutral
};

// reading is the neutral syllable with a full tone (nan2 for nan5).
bool isFullToneOf(quint16 reading, quint16 neutral) {
    const PinyinTable& table = PinyinTable::instance();
    const QLatin1StringView full = table.syllable(reading);
    const QLatin1StringView bare = table.syllable(neutral);
    return bare.endsWith(u'5') && !full.endsWith(u'5') && full.chopped(1) == bare.chopped(1);
}

int sharedScore(quint16 reading, const PolyphoneContext& context, const qint16* shared) {
    int score = 0;
    if (reading == context.lexiconSyllable)
        score += shared[context.inWord ? WordReading : CharacterReading];
    if (reading == context.usualSyllable)
        score += shared[UsualReading];
    const DictionaryReadings& dictionary = context.dictionary;
    if (dictionary.longest.contains(reading))
        score += shared[dictionary.longest.size() == 1 ? DictionaryOnlyReading
                                                       : DictionaryOneOfReadings];
    if (dictionary.anywhere.contains(reading))
        score += shared[DictionaryAnyWord];
    if (context.inWord && context.lexiconSyllable != PinyinTable::NoSyllable &&
        isFullToneOf(reading, context.lexiconSyllable))
        score += shared[FullToneOfNeutral];
    return score;
}

} // namespace

quint16 choosePolyphoneReading(std::span<const quint16> readings, const PolyphoneContext& context) {
    const PinyinTable& table = PinyinTable::instance();
    QVarLengthArray<int, 8> scores;
    for (quint16 reading : readings)
        scores.append(sharedScore(reading, context, table.sharedWeights()));
    for (quint64 key : context.features) {
        if (key == NoFeature)
            continue;
        if (const qint16* weights = table.featureWeights(key))
            for (qsizetype r = 0; r < scores.size(); ++r)
                scores[r] += weights[r];
    }
    qsizetype best = 0;
    for (qsizetype r = 1; r < scores.size(); ++r)
        if (scores[r] > scores[best])
            best = r;
    return readings[best];
}
