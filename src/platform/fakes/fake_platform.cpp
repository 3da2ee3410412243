#include "fake_platform.h"

#include "app/app_error.h"

#include <QFile>

QString FakeDataDirectory::path() {
    if (failing || !m_dir.isValid())
        throw AppError(QStringLiteral("无法创建文件夹 /nonexistent/parlora/"));
    return m_dir.path() + u'/';
}

void FakeDataDirectory::writeFile(const QString& fileName, const QByteArray& bytes) {
    QFile file(filePath(fileName));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        throw AppError(QStringLiteral("Unable to write to %1").arg(file.fileName()));
}
