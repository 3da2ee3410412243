#pragma once

#include <QList>
#include <QString>

// The Mandarin reading of Chinese text: for each character, its pinyin syllable with the tone
// number of its dictionary form (1-4, 5 for the neutral tone, ü written v), chosen for the
// word and the context it stands in. Traditional characters are read like simplified ones.
// The tables load on first use; safe to use from several threads at once.
namespace MandarinPinyin {

// One entry for each UTF-16 unit of text: the syllable ("hang2") of the Chinese character
// that starts at that unit, or an empty string (any other character, the second unit of a
// pair).
QList<QString> readings(const QString& text);

// One line as `parlora-say --pinyin` prints it: one token per character separated by single
// blanks: the syllable of a Chinese character, "_" for a blank, the character itself for any
// other.
QString pinyinLine(const QString& line);

} // namespace MandarinPinyin
