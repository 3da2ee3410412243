#include "recent_list_file.h"

#include "app/app_error.h"
#include "app/atomic_file.h"
#include "text_codec.h"

#include <QFile>

QStringList readRecentListFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return splitLines(decodeText(file.readAll()));
}

void writeRecentListFile(const QString& path, const QStringList& entries) {
    const QByteArray bytes = encodeTextLines(entries);
    if (!writeFileAtomically(path, bytes))
        throw AppError(QStringLiteral("Unable to write to %1").arg(path));
}
