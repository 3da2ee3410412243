#include "document_kind.h"

#include "document_file.h"

QString lowerAscii(QString text) {
    for (QChar& c : text) {
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + (u'a' - u'A'));
    }
    return text;
}

QString pathExtension(const QString& path) {
    const qsizetype dot = path.lastIndexOf(u'.');
    if (dot < 0 || dot < path.lastIndexOf(u'/'))
        return {};
    return path.sliced(dot);
}

DocumentKind documentKind(const QString& path) {
    const QString extension = lowerAscii(pathExtension(path));
    const std::pair<const char16_t*, DocumentKind> kinds[] = {
        {u".txt", DocumentKind::Text},          {u".rtf", DocumentKind::Text},
        {u".ini", DocumentKind::Text},          {u".htm", DocumentKind::WebPage},
        {u".html", DocumentKind::WebPage},      {u".mht", DocumentKind::WebPage},
        {u".xml", DocumentKind::WebPage},       {u".doc", DocumentKind::Word},
        {u".pdf", DocumentKind::Pdf},           {u".docx", DocumentKind::WordXml},
        {u".docm", DocumentKind::WordXml},      {u".odt", DocumentKind::OpenDocument},
        {u".epub", DocumentKind::Epub},         {u".md", DocumentKind::Markdown},
        {u".markdown", DocumentKind::Markdown}, {u".fb2", DocumentKind::FictionBook},
        {u".png", DocumentKind::Picture},       {u".jpg", DocumentKind::Picture},
        {u".jpeg", DocumentKind::Picture},      {u".tif", DocumentKind::Picture},
        {u".tiff", DocumentKind::Picture},      {u".bmp", DocumentKind::Picture},
        {u".webp", DocumentKind::Picture},
    };
    for (const auto& [known, kind] : kinds) {
        if (extension == known)
            return kind;
    }
    return DocumentKind::Other;
}

qint64 maxDocumentSize(DocumentKind kind) {
    constexpr qint64 MB = 1024 * 1024;
    switch (kind) {
    case DocumentKind::Text:
    case DocumentKind::Markdown:
    case DocumentKind::Other:
        return MaxDocumentFileSize;
    case DocumentKind::FictionBook:
        return 128 * MB;
    case DocumentKind::WebPage:
    case DocumentKind::Word:
    case DocumentKind::WordXml:
    case DocumentKind::OpenDocument:
    case DocumentKind::Epub:
    case DocumentKind::Picture:
        return 256 * MB;
    case DocumentKind::Pdf:
        return 1024 * MB;
    }
    return MaxDocumentFileSize;
}
