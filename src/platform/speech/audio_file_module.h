#pragma once

#include "audio_file.h"

struct AudioTags;

// The encoders of sound files and the writing of their tags live in a module of their own
// (parlora_audio_files.so, beside the program), loaded with the first file written: the
// libraries behind them would cost every start-up their memory, and most starts write no file.
struct AudioFileModule {
    AudioFile* (*createFile)(const QString& path, int formatType, int rate); // throws AppError
    bool (*saveTags)(const QString& path, int formatType, const AudioTags& tags);
};

// The module's functions, loaded on the first call; AppError when it cannot be loaded.
const AudioFileModule& audioFileModule();

// Inside the module.
AudioFile* createCodedFile(const QString& path, int formatType, int rate);
bool saveAudioTags(const QString& path, int formatType, const AudioTags& tags);
