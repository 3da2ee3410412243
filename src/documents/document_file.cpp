#include "document_file.h"

#include "app/app_error.h"
#include "document_kind.h"
#include "rtf_codec.h"
#include "text_codec.h"

#include <QFile>
#include <QSaveFile>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>

namespace {

AppError openFailure(const QString& path, const QString& reason) {
    return AppError(QStringLiteral("Cannot open file \"%1\". %2").arg(path, reason));
}

} // namespace

QByteArray readDocumentFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw openFailure(path, file.errorString());
    if (file.size() > MaxDocumentFileSize) {
        throw openFailure(path, QStringLiteral("The file is %1 MB; at most %2 MB can be opened")
                                    .arg(file.size() / (1024 * 1024))
                                    .arg(MaxDocumentFileSize / (1024 * 1024)));
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw openFailure(path, file.errorString());
    return bytes;
}

void setDocumentText(QTextDocument& document, const QString& text) {
    document.setPlainText(splitLines(text).join(u'\n'));
}

void replaceDocument(QTextDocument& document, const QTextDocument& read) {
    // One edit: one undo step. Without a page the editor's layout ignores the edit; the page
    // put back then lays the whole text out lazily, from the top, instead of all at once.
    const QSizeF page = document.pageSize();
    document.setPageSize(QSizeF(0, 0));
    QTextCursor cursor(&document);
    cursor.beginEditBlock();
    cursor.select(QTextCursor::Document);
    cursor.removeSelectedText();
    cursor.insertFragment(QTextDocumentFragment(&read));
    cursor.endEditBlock();
    document.setPageSize(page);
}

void loadDocumentBytes(const QByteArray& bytes, bool plainText, QTextDocument& document) {
    // Read apart and inserted whole: an editor would lay its document out again after every
    // piece the reader adds.
    QTextDocument rich;
    if (!plainText && readRtf(bytes, rich)) {
        replaceDocument(document, rich);
        return;
    }
    setDocumentText(document, decodeText(bytes));
}

QByteArray plainTextFileBytes(const QTextDocument& document) {
    QStringList paragraphs;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        // A soft line break inside a paragraph is a line of the file too.
        paragraphs << block.text().replace(QChar::LineSeparator, QStringLiteral("\r\n"));
    }
    if (!paragraphs.isEmpty() && paragraphs.last().isEmpty())
        paragraphs.removeLast();
    return encodeTextLines(paragraphs);
}

QString savedFilePath(const QString& chosen) {
    const qsizetype slash = chosen.lastIndexOf(u'/');
    return chosen.first(slash + 1) + lowerAscii(chosen.sliced(slash + 1));
}

void writeDocumentFile(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    const bool written =
        file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
    if (!written)
        throw AppError(
            QStringLiteral("Cannot create file \"%1\". %2").arg(path, file.errorString()));
}
