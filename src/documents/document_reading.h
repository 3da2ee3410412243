#pragma once

#include "app/app_error.h"
#include "document_kind.h"
#include "platform/document_converter.h"

#include <QString>

class QTextDocument;

// Reading a document by its kind: the one road that the window's opens and parlora-say take,
// so that each check is made once for every kind. Nothing here opens a file that is not a
// regular file, nor waits on one: a named pipe or a device is refused before any open.

// How a kind's text comes: read here at once (text, RTF, the formatted kinds, and any other
// file as text), from a converter program that is waited for (Word, PDF, pictures), or from the
// hidden web page.
enum class ReadingRoad { Loaded, Converted, WebPage };

// The road of the path's kind, once the path is known to be a regular file that can be read
// and is no larger than its kind may be (maxDocumentSize); AppError "Cannot open file "<path>".
// <reason>" otherwise. Looks at the file only.
ReadingRoad checkedReadingRoad(const QString& path, DocumentKind kind);

// A document that holds nothing to read aloud: the open fails with this, so that the editor
// and the address keep what they had.
class NoTextError : public AppError {
public:
    explicit NoTextError(const QString& path);
};

// Replaces the target's content, as one undo step, with the file of a loaded kind: text files
// and RTF (as plain text with plainText), the formatted kinds, any other file as text.
// AppError naming the file when it cannot be read, NoTextError when a formatted document holds
// no text; the target is then left as it was. The file is checked as checkedReadingRoad does.
void loadDocument(const QString& path, DocumentKind kind, bool plainText, QTextDocument& target);

// The text of a converted kind, waited for: call it where waiting is allowed (a background job,
// parlora-say). AppError with the converter's reason, NoTextError when no text came.
QString convertDocument(DocumentConverter& converter, const QString& path, DocumentKind kind,
                        const ConversionCancelled& cancelled, const Recognition& recognition);

// The author that the document read names in its description (.docx dc:creator, .odt
// meta:initial-creator or dc:creator, .epub dc:creator, .fb2 author), kept with the document
// that loadDocument or loadFormattedDocument filled; empty when it names none.
QString documentAuthor(const QTextDocument& document);
void setDocumentAuthor(QTextDocument& document, const QString& author);
