#pragma once

#include "speech/pronunciation.h"

#include <QString>

// Numbers, dates, times, money, measures, symbols and simple sums written out in Chinese
// characters as a Chinese reader says them ("2024年" → "二零二四年", "10:30" → "十点三十分").
// Text without anything to change comes back exactly as it was. The positions map every
// position of the result into the given text (SpokenText's form), so that what is heard can
// be shown where it is written. Pinyin that the user wrote between square brackets
// ("[hang2 zhang3]") is left exactly as it stands.
SpokenText chineseSpokenForm(const QString& text);
