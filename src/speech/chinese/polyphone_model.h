#pragma once

#include "dictionary_readings.h"
#include "polyphone_features.h"

#include <span>

// What the model knows of one character in its context.
struct PolyphoneContext {
    std::array<quint64, PolyphoneFeatureCount> features;
    quint16 lexiconSyllable; // its reading in the word it stands in
    bool inWord;             // that word is one of the lexicon's, longer than the character
    quint16 usualSyllable;
    DictionaryReadings dictionary;
};

// The reading, among those the model knows for the character, that scores highest in the
// context; of equal scores, the more frequent reading.
quint16 choosePolyphoneReading(std::span<const quint16> readings, const PolyphoneContext& context);
