#pragma once

#include <QList>
#include <QString>

class QTextDocument;

// A part of a book that becomes a file of its own, or a mark in one file.
struct Chapter {
    QString title;
    QString text; // what is spoken, its title line first
    bool operator==(const Chapter&) const = default;
};

// A line that names a chapter: "第十二章 …" (also 节, 回, 卷; Arabic digits or Chinese
// numerals), "Chapter 12", "CHAPTER XII".
bool isChapterTitleLine(const QString& line);

// The chapters of plain text: at the lines that name chapters, else (when there are at least
// three) at the short lines that stand between blank lines, else the whole text as one. Text
// before the first title is a chapter of its own named after the book.
QList<Chapter> findChapters(const QString& text, const QString& bookTitle);

// The chapters of a document: at its headings (of the highest level that heads more than one
// part), else as findChapters finds them in its text.
QList<Chapter> documentChapters(const QTextDocument& document, const QString& bookTitle);

// The title to propose for a book: the document's own, else its file's name, else its first
// short line (unless it names a chapter); empty when there is none.
QString bookTitle(const QTextDocument& document, const QString& address);

// The chapters after the user's changes: chapter k joins the one before it.
QList<Chapter> joinedWithPrevious(QList<Chapter> chapters, qsizetype k);
