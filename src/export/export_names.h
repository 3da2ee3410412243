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

// The file name of line number n: "n.", the trimmed line with \ / : * ? " < > | each made a
// space, and ".wav"; the line part is shortened so that the name fits FileNameLimit bytes.
QString lineFileName(int number, const QString& line);

// The text cut into pieces of at most limit characters, after a line break where one falls in
// the piece, else after the end of a sentence (a longer sentence is a piece of its own). The
// pieces joined give the text.
QStringList speechPieces(const QString& text, qsizetype limit);
