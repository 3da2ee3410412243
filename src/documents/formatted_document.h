#pragma once

#include "document_kind.h"

#include <QString>

class QTextDocument;

// Documents the program reads itself: .docx/.docm, .odt, .epub, Markdown and .fb2.
bool isFormattedKind(DocumentKind kind);

// Fills the empty document with the file's text and look (headings, emphasis, lists, tables as
// tab-separated lines, notes after the text). AppError naming the file and the reason when it
// cannot be read; the document is then left empty. Nothing outside the file is loaded: a
// picture is read as its description (pictureText) where it has one.
void loadFormattedDocument(const QString& path, QTextDocument& document);

// A picture's description as the text reads it, as screen readers say it: "图片：<description>".
QString pictureText(const QString& description);
