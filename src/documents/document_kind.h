#pragma once

#include <QString>

// What an open does with a file, decided by its extension alone. WordXml to FictionBook are read
// by the program itself into a formatted document (formatted_document.h); pictures are read by
// text recognition.
enum class DocumentKind {
    Text,
    WebPage,
    Word,
    Pdf,
    WordXml,
    OpenDocument,
    Epub,
    Markdown,
    FictionBook,
    Picture,
    Other
};

// Only A to Z change; other letters keep their form.
QString lowerAscii(QString text);

// From the last "." to the end when that "." stands in the last path component; else empty.
QString pathExtension(const QString& path);

// The kind of a path by its lower-cased extension; ".TXT" is text, ".text" and ".txt " are not.
DocumentKind documentKind(const QString& path);
