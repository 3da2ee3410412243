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

// The largest file of the kind that is opened. Files read whole (text, Markdown, FictionBook,
// web pages) are held to the editor's limit; containers and converted documents hold pictures
// and so are allowed more, the text taken from them being held to the editor's limit all the
// same. FictionBook carries its pictures inside its XML.
qint64 maxDocumentSize(DocumentKind kind);
