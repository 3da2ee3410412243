#pragma once

#include "platform/fakes/call_recorder.h"
#include "platform/speech/speech_voice.h"

#include <QFile>
#include <QStringList>

// A file stream that records its calls ("Open", "Close", ...) and really creates the file it is
// opened on, holding the bytes of content; fails the members named by setFailing with an AppError.
class FakeFileStream : public SpeechFileStream, public CallRecorder {
public:
    QByteArray content = "RIFF";

    void setFormatType(int type) override { call(QStringLiteral("Format:%1").arg(type)); }
    void Open(const QString& path, int mode, bool) override {
        call(QStringLiteral("Open:%1").arg(mode));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(content) < 0)
            throw AppError(QStringLiteral("Unable to create %1").arg(path));
    }
    void Close() override { call(QStringLiteral("Close")); }
    int sampleRate() const override { return 16000; }
    bool writeSamples(const qint16*, size_t count) override {
        call(QStringLiteral("Samples:%1").arg(count));
        return true;
    }
};
