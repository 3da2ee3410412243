#pragma once

#include <QStringView>

// A character outside the Basic Multilingual Plane takes two UTF-16 units, a surrogate pair.
// Text is cut, counted and looked up by characters, never inside a pair.

inline bool startsSurrogatePair(QStringView text, qsizetype at) {
    return at + 1 < text.size() && text[at].isHighSurrogate() && text[at + 1].isLowSurrogate();
}

// The UTF-16 units of the character that starts at `at`: 2 for a pair, else 1.
inline qsizetype unitsOfCharacterAt(QStringView text, qsizetype at) {
    return startsSurrogatePair(text, at) ? 2 : 1;
}

// Whether text[at] is the second half of a pair, which belongs to the character before it.
inline bool endsSurrogatePair(QStringView text, qsizetype at) {
    return at > 0 && startsSurrogatePair(text, at - 1);
}

inline char32_t codePointAt(QStringView text, qsizetype at) {
    return startsSurrogatePair(text, at) ? QChar::surrogateToUcs4(text[at], text[at + 1])
                                         : text[at].unicode();
}
