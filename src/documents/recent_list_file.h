#pragma once

#include <QString>
#include <QStringList>

// "files.ini": one recent address a line, UTF-16 with a byte-order mark.

// Every line is an entry, empty lines too; a missing file gives no entries.
QStringList readRecentListFile(const QString& path);

// Replaces the file atomically; AppError("Unable to write to <path>") on failure.
void writeRecentListFile(const QString& path, const QStringList& entries);
