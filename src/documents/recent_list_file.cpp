#include "recent_list_file.h"

#include "app/app_error.h"
#include "text_codec.h"

#include <QFile>
#include <QSaveFile>

QStringList readRecentListFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return splitLines(decodeText(file.readAll()));
}

void writeRecentListFile(const QString& path, const QStringList& entries) {
    const QByteArray bytes = encodeTextLines(entries);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw AppError(QStringLiteral("Unable to write to %1").arg(path));
}
