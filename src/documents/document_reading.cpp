#include "document_reading.h"

#include "document_file.h"
#include "formatted_document.h"

#include <QTextDocument>

namespace {

const char* const AuthorProperty = "parloraDocumentAuthor";

bool holdsText(const QString& text) {
    return std::any_of(text.begin(), text.end(), [](QChar c) {
        return !c.isSpace() && c != QChar::ObjectReplacementCharacter && c != QChar::Nbsp;
    });
}

} // namespace

ReadingRoad checkedReadingRoad(const QString& path, DocumentKind kind) {
    checkRegularFile(path, maxDocumentSize(kind));
    switch (kind) {
    case DocumentKind::WebPage:
        return ReadingRoad::WebPage;
    case DocumentKind::Word:
    case DocumentKind::Pdf:
    case DocumentKind::Picture:
        return ReadingRoad::Converted;
    case DocumentKind::Text:
    case DocumentKind::WordXml:
    case DocumentKind::OpenDocument:
    case DocumentKind::Epub:
    case DocumentKind::Markdown:
    case DocumentKind::FictionBook:
    case DocumentKind::Other:
        break;
    }
    return ReadingRoad::Loaded;
}

NoTextError::NoTextError(const QString& path)
    : AppError(QStringLiteral("无法打开文档 \"%1\"：文档中没有可以朗读的文字").arg(path)) {}

void loadDocument(const QString& path, DocumentKind kind, bool plainText, QTextDocument& target) {
    if (checkedReadingRoad(path, kind) != ReadingRoad::Loaded)
        throw AppError(QStringLiteral("无法打开文档 \"%1\"：不认识这种文档").arg(path));
    if (!isFormattedKind(kind)) {
        // Read apart inside: a failed read leaves the target as it was.
        loadDocumentBytes(readDocumentFile(path, maxDocumentSize(kind)), plainText, target);
        setDocumentAuthor(target, {});
        return;
    }
    QTextDocument read;
    read.setUndoRedoEnabled(false);
    loadFormattedDocument(path, read);
    if (!holdsText(read.toRawText()))
        throw NoTextError(path);
    replaceDocumentContent(target, read);
    setDocumentAuthor(target, documentAuthor(read));
}

QString convertDocument(DocumentConverter& converter, const QString& path, DocumentKind kind,
                        const ConversionCancelled& cancelled, const Recognition& recognition) {
    QString text;
    switch (checkedReadingRoad(path, kind) == ReadingRoad::Converted ? kind : DocumentKind::Other) {
    case DocumentKind::Word:
        text = converter.wordText(path, cancelled);
        break;
    case DocumentKind::Pdf:
        text = converter.pdfText(path, cancelled, recognition);
        break;
    case DocumentKind::Picture:
        text = converter.pictureText(path, cancelled, recognition);
        break;
    default:
        throw AppError(QStringLiteral("无法打开文档 \"%1\"：不认识这种文档").arg(path));
    }
    if (!holdsText(text))
        throw NoTextError(path);
    checkOpenedTextSize(path, text);
    return text;
}

QString documentAuthor(const QTextDocument& document) {
    return document.property(AuthorProperty).toString();
}

void setDocumentAuthor(QTextDocument& document, const QString& author) {
    document.setProperty(AuthorProperty, author.simplified());
}
