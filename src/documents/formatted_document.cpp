#include "formatted_document.h"

#include "app/app_error.h"
#include "document_file.h"
#include "document_readers.h"
#include "rich_text.h"
#include "text_codec.h"

#include <QTextDocument>

bool isFormattedKind(DocumentKind kind) {
    switch (kind) {
    case DocumentKind::WordXml:
    case DocumentKind::OpenDocument:
    case DocumentKind::Epub:
    case DocumentKind::Markdown:
    case DocumentKind::FictionBook:
        return true;
    case DocumentKind::Text:
    case DocumentKind::WebPage:
    case DocumentKind::Word:
    case DocumentKind::Pdf:
    case DocumentKind::Picture:
    case DocumentKind::Other:
        break;
    }
    return false;
}

void loadFormattedDocument(const QString& path, QTextDocument& document) {
    const DocumentKind kind = documentKind(path);
    if (kind == DocumentKind::Markdown) {
        document.setMarkdown(decodeText(readDocumentFile(path)));
        return;
    }
    RichText text;
    try {
        switch (kind) {
        case DocumentKind::WordXml:
            readWordXml(path, text);
            break;
        case DocumentKind::OpenDocument:
            readOpenDocument(path, text);
            break;
        case DocumentKind::Epub:
            readEpub(path, text);
            break;
        case DocumentKind::FictionBook:
            readFictionBook(path, text);
            break;
        default:
            throw AppError(QStringLiteral("不认识这种文档"));
        }
    } catch (const AppError& error) {
        throw AppError(QStringLiteral("无法打开文档 \"%1\"：%2").arg(path, error.message()));
    }
    text.write(document);
}
