#pragma once

#include "word_segmenter.h"

#include <QList>

#include <array>
#include <span>

constexpr int PolyphoneFeatureCount = 17;
// In place of a feature that the context does not have.
constexpr quint64 NoFeature = 0;

// The hashed context features of text[at], which lies in words[wordIndex]: neighbouring
// characters and pairs of them, its word and the words beside it, the lexicon's reading of it
// there, the classes of the characters beside it, and its readings in the second
// dictionary's longest word over it (sorted syllable ids; NoFeature without one). Mirrored by
// data/mandarin/polyphone_features.py, which trains on the same keys.
std::array<quint64, PolyphoneFeatureCount> polyphoneFeatures(std::span<const char32_t> text, int at,
                                                             const QList<SegmentedWord>& words,
                                                             int wordIndex, quint16 lexiconSyllable,
                                                             std::span<const quint16> dictionary);
