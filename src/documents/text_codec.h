#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Plain-text files as the editor reads and writes them.

// The text of a file's bytes. A byte-order mark decides first (FF FE: UTF-16 little-endian,
// FE FF: big-endian, EF BB BF: UTF-8; the mark is not part of the text, an odd last byte of
// UTF-16 is dropped). Without one: UTF-8 when the bytes are valid UTF-8, else the legacy
// encoding the charset detector recognises (GB18030 for Chinese text, Big5, Shift-JIS,
// Windows-1252, ...), else Latin-1, so that no file is refused.
QString decodeText(const QByteArray& bytes);

// Lines split at CR, LF and CR LF; a break at the very end adds no empty line.
QStringList splitLines(const QString& text);

// FF FE, then UTF-16 little-endian with CR LF after every line.
QByteArray encodeTextLines(const QStringList& lines);
