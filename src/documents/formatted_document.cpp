#include "formatted_document.h"

#include "app/app_error.h"
#include "document_file.h"
#include "document_readers.h"
#include "rich_text.h"
#include "text_codec.h"

#include <QTextBlock>
#include <QTextCursor>
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

namespace {

// Each picture becomes what it shows in words, where the document says: the editor would load
// the picture from its address when laying the text out.
void replacePictures(QTextDocument& document) {
    QList<std::pair<int, QString>> pictures; // position, description
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.charFormat().isImageFormat())
                continue;
            const QString description =
                fragment.charFormat().stringProperty(QTextFormat::ImageAltText).simplified();
            for (int i = 0; i < fragment.length(); ++i)
                pictures.append({fragment.position() + i, description});
        }
    }
    QTextCursor cursor(&document);
    for (auto it = pictures.crbegin(); it != pictures.crend(); ++it) {
        cursor.setPosition(it->first);
        cursor.setPosition(it->first + 1, QTextCursor::KeepAnchor);
        QTextCharFormat plain = cursor.charFormat();
        plain.clearProperty(QTextFormat::ObjectType);
        for (const int property : {int(QTextFormat::ImageName), int(QTextFormat::ImageTitle),
                                   int(QTextFormat::ImageAltText), int(QTextFormat::ImageWidth),
                                   int(QTextFormat::ImageHeight), int(QTextFormat::ImageQuality)})
            plain.clearProperty(property);
        cursor.insertText(it->second.isEmpty() ? QString() : pictureText(it->second), plain);
    }
}

void readFormattedDocument(const QString& path, QTextDocument& document) {
    const DocumentKind kind = documentKind(path);
    if (kind == DocumentKind::Markdown) {
        const QString markdown = decodeText(readDocumentFile(path, maxDocumentSize(kind)));
        try {
            checkMarkdownSize(markdown);
        } catch (const AppError& error) {
            throw AppError(QStringLiteral("无法打开文档 \"%1\"：%2").arg(path, error.message()));
        }
        // Markdown names pictures and style sheets by address, and the document would read any
        // local file or device they name, whole, on the window's thread: it is given nothing.
        const QTextDocument::ResourceProvider provider = document.resourceProvider();
        document.setResourceProvider([](const QUrl&) { return QVariant(QByteArray()); });
        document.setMarkdown(markdown);
        replacePictures(document);
        document.setResourceProvider(provider);
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

} // namespace

QString pictureText(const QString& description) {
    return QStringLiteral("图片：") + description;
}

void loadFormattedDocument(const QString& path, QTextDocument& document) {
    // An empty document's undo history would only hold the whole document again.
    const bool undo = document.isUndoRedoEnabled();
    document.setUndoRedoEnabled(false);
    try {
        readFormattedDocument(path, document);
    } catch (...) {
        document.setUndoRedoEnabled(undo);
        throw;
    }
    document.setUndoRedoEnabled(undo);
}
