#pragma once

// The tests' tiny natural voices, made by make_tiny_voices.py (TINY_VOICES_SCRIPT), and what the
// tests that use them share.
#include "platform/speech/neural_library.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

// Whether the build has the runtime that speaks them (scripts/install-deps fetches it).
inline bool naturalRuntimeFetched() {
    return QFileInfo::exists(neuralLibraryFolder() + QStringLiteral("/libsherpa-onnx-c-api.so"));
}

// Makes them in folder; empty, or why it failed.
inline QString makeTinyVoices(const QString& folder) {
    QProcess maker;
    maker.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral(TINY_VOICES_SCRIPT), folder});
    if (maker.waitForFinished() && maker.exitStatus() == QProcess::NormalExit &&
        maker.exitCode() == 0)
        return {};
    return QStringLiteral("make_tiny_voices.py failed: ") +
           QString::fromLocal8Bit(maker.readAllStandardError());
}

inline bool copyFolder(const QString& from, const QString& to) {
    QDir().mkpath(to);
    for (const QFileInfo& entry :
         QDir(from).entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString target = to + QLatin1Char('/') + entry.fileName();
        if (entry.isDir() ? !copyFolder(entry.filePath(), target)
                          : !QFile::copy(entry.filePath(), target))
            return false;
    }
    return true;
}
