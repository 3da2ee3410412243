#pragma once

#include <QFile>
#include <QString>

// The UTF-8 text of a file named on the command line; empty when it cannot be read.
inline QString readText(const char* path) {
    QFile file(QString::fromLocal8Bit(path));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}
