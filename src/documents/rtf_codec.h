#pragma once

#include <QByteArray>

class QTextDocument;

// Rich text files: RTF to and from a QTextDocument.

// Replaces the document's content with the RTF's. False, with the document untouched, when the
// bytes do not start as RTF: the caller then reads them as plain text.
bool readRtf(const QByteArray& rtf, QTextDocument& document);

// The document as RTF: Chinese code page, font and colour tables, every non-ASCII character as
// \uN with a "?" fallback.
QByteArray writeRtf(const QTextDocument& document);
