#pragma once

#include <QString>

class RichText;

// The readers of the formatted kinds, each filling the paragraphs with what a reader of the
// document sees. Failures are AppError with the reason; the caller names the file.

// .docx and .docm: the main part, its footnotes and endnotes after it.
void readWordXml(const QString& path, RichText& out);
// .odt
void readOpenDocument(const QString& path, RichText& out);
// .epub: the chapters in reading order, each under its title from the table of contents.
void readEpub(const QString& path, RichText& out);
// .fb2: the bodies' sections with their titles.
void readFictionBook(const QString& path, RichText& out);
