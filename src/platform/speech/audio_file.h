#pragma once

#include <QString>
#include <QtGlobal>

#include <memory>

// A sound file being written: mono 16-bit samples go in, are encoded and reach the disk as they
// come. Used from one thread at a time.
class AudioFile {
public:
    virtual ~AudioFile() = default;
    virtual bool write(const qint16* samples, size_t count) = 0;
    // Completes the file (the encoder's tail, headers that need the length); false on failure.
    virtual bool finish() = 0;
};

bool isAudioFileFormat(int formatType);
// The rate a file of the type is written at, given the rate of the engine's samples.
int audioFileRate(int formatType, int engineRate);
// Creates the file, of a format type of SpeechFileStream; throws AppError when it cannot.
std::unique_ptr<AudioFile> createAudioFile(const QString& path, int formatType, int rate);
