#pragma once

#include <QString>
#include <QStringView>
#include <initializer_list>

// Small questions about the text around a number. They are asked of the narrowed text (see
// narrowed), so that fullwidth digits and signs count as ASCII ones.
namespace NumberText {

inline bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}
inline bool isAsciiLetter(QChar c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}
inline bool isAsciiWordCharacter(QChar c) {
    return isDigit(c) || isAsciiLetter(c);
}
// The character at a position, or a null character outside the text.
inline QChar charAt(QStringView s, qsizetype at) {
    return at >= 0 && at < s.size() ? s[at] : QChar();
}
inline bool isDigitAt(QStringView s, qsizetype at) {
    return isDigit(charAt(s, at));
}

qsizetype digitsEnd(QStringView s, qsizetype from);
qsizetype blanksEnd(QStringView s, qsizetype from);

// Whether the text before end, passing over any of the characters in skipped, ends in one of
// words: Latin letters in any case and not as the tail of a longer Latin word.
bool wordBefore(QStringView s, qsizetype end, std::initializer_list<QStringView> words,
                QStringView skipped = {});

// The length of the word at a position: one of words, Latin letters in the same case, and not
// the head of a longer Latin word; 0 when none is.
qsizetype wordAt(QStringView s, qsizetype at, QStringView word);

// Where a minus sign stands right before the digits at a position (not a hyphen inside a word,
// and not before floor, which is already said); -1 when none does.
qsizetype minusBefore(QStringView s, qsizetype at, qsizetype floor);

// The text with its fullwidth digits, letters and signs as ASCII, every position where it was.
// The fullwidth comma stays: between digits it separates a list, not thousands.
QString narrowed(const QString& text);

} // namespace NumberText
