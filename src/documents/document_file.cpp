#include "document_file.h"

#include "app/app_error.h"
#include "app/atomic_file.h"
#include "document_kind.h"
#include "rtf_codec.h"
#include "text_codec.h"

#include <QFile>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

AppError openFailure(const QString& path, const QString& reason) {
    return AppError(QStringLiteral("Cannot open file \"%1\". %2").arg(path, reason));
}

} // namespace

namespace {

QString systemReason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

AppError sizeFailure(const QString& path, qint64 size, qint64 maxSize) {
    return openFailure(path, QStringLiteral("文件大小为 %1 MB，最多只能打开 %2 MB")
                                 .arg(size / (1024 * 1024))
                                 .arg(maxSize / (1024 * 1024)));
}

// The status of a regular file, or the failure that tells why the path is none.
struct stat regularFileStatus(const QString& path, int fd, qint64 maxSize) {
    struct stat status {};
    const int result =
        fd >= 0 ? ::fstat(fd, &status) : ::stat(QFile::encodeName(path).constData(), &status);
    if (result != 0)
        throw openFailure(path, systemReason(errno));
    if (!S_ISREG(status.st_mode))
        throw openFailure(path, QStringLiteral("这不是普通文件"));
    if (status.st_size > maxSize)
        throw sizeFailure(path, status.st_size, maxSize);
    return status;
}

} // namespace

void checkRegularFile(const QString& path, qint64 maxSize) {
    regularFileStatus(path, -1, maxSize);
    if (::access(QFile::encodeName(path).constData(), R_OK) != 0)
        throw openFailure(path, systemReason(errno));
}

int openRegularFile(const QString& path, qint64 maxSize) {
    // Nothing is opened that is not a regular file: opening a device can have effects of its own.
    regularFileStatus(path, -1, maxSize);
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        throw openFailure(path, systemReason(errno));
    try {
        regularFileStatus(path, fd, maxSize);
    } catch (...) {
        ::close(fd);
        throw;
    }
    // A regular file's reads never wait; the readers need not see the flag.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

QByteArray readDocumentFile(const QString& path, qint64 maxSize) {
    QFile file;
    const int fd = openRegularFile(path, maxSize);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        throw openFailure(path, file.errorString());
    }
    QByteArray bytes = file.read(maxSize + 1);
    if (file.error() != QFileDevice::NoError)
        throw openFailure(path, file.errorString());
    if (bytes.size() > maxSize)
        throw sizeFailure(path, bytes.size(), maxSize);
    return bytes;
}

void loadDocumentBytes(const QByteArray& bytes, bool plainText, QTextDocument& document) {
    // Read apart and inserted whole: an editor would lay its document out again after every
    // piece the reader adds, and a failed read leaves the document as it was.
    QTextDocument rich;
    if (!plainText && readRtf(bytes, rich)) {
        replaceDocumentContent(document, rich);
        return;
    }
    replaceDocumentText(document, decodeText(bytes));
}

namespace {
// One edit: one undo step. Without a page the editor's layout ignores the edit; the page put
// back then lays the whole text out lazily, from the top, instead of all at once.
template <typename Insert> void replaceAll(QTextDocument& target, const Insert& insert) {
    const QSizeF page = target.pageSize();
    target.setPageSize(QSizeF(0, 0));
    QTextCursor cursor(&target);
    cursor.beginEditBlock();
    cursor.select(QTextCursor::Document);
    cursor.removeSelectedText();
    cursor.setBlockFormat({});
    cursor.setCharFormat({});
    insert(cursor);
    cursor.endEditBlock();
    target.setPageSize(page);
}
} // namespace

void replaceDocumentContent(QTextDocument& target, const QTextDocument& source) {
    replaceAll(target,
               [&](QTextCursor& cursor) { cursor.insertFragment(QTextDocumentFragment(&source)); });
}

void replaceDocumentText(QTextDocument& target, const QString& text) {
    replaceAll(target,
               [&](QTextCursor& cursor) { cursor.insertText(splitLines(text).join(u'\n')); });
}

void checkOpenedTextSize(const QString& source, const QString& text) {
    // Each UTF-16 unit is at most 3 bytes of UTF-8; count exactly only near the limit.
    if (text.size() * 3 <= MaxDocumentFileSize || text.toUtf8().size() <= MaxDocumentFileSize)
        return;
    throw AppError(QStringLiteral("\"%1\" 的文字超过 %2 MB，无法打开")
                       .arg(source)
                       .arg(MaxDocumentFileSize / (1024 * 1024)));
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
    QString reason;
    if (!writeFileAtomically(path, bytes, &reason))
        throw AppError(QStringLiteral("Cannot create file \"%1\". %2").arg(path, reason));
}
