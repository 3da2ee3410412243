#pragma once

#include <QString>
#include <QStringList>

// The longest file name the file system takes, in bytes.
constexpr int FileNameLimit = 255;

// The path with its file name's letters A to Z lowered; the folders keep their case.
QString lowerCaseFileName(const QString& path);

// The paragraphs of plain text, one per line break; a last empty paragraph is left out.
QStringList exportLines(const QString& plainText);

// The line without the blanks and control characters at either end: what is spoken.
QString trimmedLine(const QString& line);

// The prefix and the text with \ / : * ? " < > | and control characters each made a space; the
// text is shortened so that a suffix of suffixBytes after it still fits FileNameLimit bytes.
QString fittedFileBase(const QString& prefix, const QString& text, int suffixBytes);

// The file name of line number n: "n.", the trimmed line made fit by fittedFileBase, and ".wav".
QString lineFileName(int number, const QString& line);

// The file name of a chapter without its suffix: "NN title", NN its number of count with at least
// two digits, the title made fit by fittedFileBase and trimmed; "NN" for a title of no letters.
QString chapterFileBase(int number, int count, const QString& title, int suffixBytes);

// The text cut into pieces for the engine, which joined give the text. A piece ends after a
// sentence (the listening's sentences that end with a mark, or a paragraph before a blank line)
// and the blanks after it, holding as many sentences as fit in limit characters; a sentence
// longer than that is cut after its last clause mark or blank that fits, else at limit, and
// that piece has no end pause. endPauses[k] tells whether piece k ends with a sentence's pause;
// the last piece never does (the text's end needs none).
struct SpeechPieces {
    QStringList texts;
    QList<bool> endPauses;
};
SpeechPieces speechPieces(const QString& text, qsizetype limit);
