#pragma once

#include <QByteArray>
#include <QString>

class QTextDocument;

// Files into the editor's document and out of it, without any window.

// Larger files are refused: the editor would take minutes to lay them out.
constexpr qint64 MaxDocumentFileSize = 32 * 1024 * 1024;

// AppError "Cannot open file "<path>". <reason>" unless the path is a regular file that can be
// read and is no larger than maxSize: a pipe would hold any open of it until a writer came, and
// a device would fill the memory. Only looks at the file; opens nothing.
void checkRegularFile(const QString& path, qint64 maxSize);

// The file opened for reading, as checkRegularFile checks it, by an open that cannot wait for a
// writer even when a pipe took the file's place after a check: a descriptor the caller closes.
int openRegularFile(const QString& path, qint64 maxSize);

// The whole file, opened as openRegularFile opens it.
QByteArray readDocumentFile(const QString& path, qint64 maxSize = MaxDocumentFileSize);

// Replaces the document's content as one undo step. With plainText the bytes are text by their
// byte-order mark or detected encoding; without, RTF is read formatted and anything else as text.
void loadDocumentBytes(const QByteArray& bytes, bool plainText, QTextDocument& document);

// Replaces the target's content by the source's, or by the text (one paragraph a line: CR, LF
// or CR LF), as one step of its undo history: undo brings the earlier content back.
void replaceDocumentContent(QTextDocument& target, const QTextDocument& source);
void replaceDocumentText(QTextDocument& target, const QString& text);

// AppError when the text is longer than an open may bring, as UTF-8.
void checkOpenedTextSize(const QString& source, const QString& text);

// FF FE, then each paragraph in UTF-16 LE followed by CR LF; a final empty paragraph is not
// written, so an empty document gives the mark alone.
QByteArray plainTextFileBytes(const QTextDocument& document);

// The path a save writes: the file name lower-cased (A to Z), the folder as given.
QString savedFilePath(const QString& chosen);

// Replaces the file atomically, so a failed write leaves the earlier file whole;
// AppError "Cannot create file "<path>". <reason>" on failure.
void writeDocumentFile(const QString& path, const QByteArray& bytes);
