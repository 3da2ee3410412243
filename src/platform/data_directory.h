#pragma once

#include <QString>

// The per-user folder that holds the settings and the recent list.
class DataDirectory {
public:
    virtual ~DataDirectory() = default;
    // The folder with a trailing "/", created when missing; AppError when it cannot be.
    virtual QString path() = 0;
    QString filePath(const QString& fileName) { return path() + fileName; }
};
