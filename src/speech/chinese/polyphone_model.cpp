#include "polyphone_model.h"

#include "pinyin_table.h"

#include <QVarLengthArray>

namespace {

// Indexes of the weights every character shares (data/mandarin/polyphone_training.py).
enum Shared { WordReading, CharacterReading, UsualReading };

int sharedScore(quint16 reading, const PolyphoneContext& context, const qint16* shared) {
    int score = 0;
    if (reading == context.lexiconSyllable)
        score += shared[context.inWord ? WordReading : CharacterReading];
    if (reading == context.usualSyllable)
        score += shared[UsualReading];
    return score;
}

} // namespace

quint16 choosePolyphoneReading(std::span<const quint16> readings, const PolyphoneContext& context) {
    const PinyinTable& table = PinyinTable::instance();
    QVarLengthArray<int, 8> scores;
    for (quint16 reading : readings)
        scores.append(sharedScore(reading, context, table.sharedWeights()));
    for (quint64 key : context.features) {
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
