#pragma once

#include "document_kind.h"

#include <QString>

class QTextDocument;

// Documents the program reads itself: .docx/.docm, .odt, .epub, Markdown and .fb2.
bool isFormattedKind(DocumentKind kind);

// Fills the empty document with the file's text and look (headings, emphasis, lists, tables as
// tab-separated lines, notes after the text). AppError naming the file and the reason when it
// cannot be read; the document is then left empty.
void loadFormattedDocument(const QString& path, QTextDocument& document);
