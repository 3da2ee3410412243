#pragma once

#include "speech_voice.h"

#include <sndfile.h> // constants only: the program does not link libsndfile, its module does

// The file formats an export writes, by the format types of SpeechFileStream.
struct AudioFileFormat {
    int type;
    int sndfileFormat; // 0: encoded by the module itself, not through libsndfile
    int rate;          // 0: the engine's own
};
inline constexpr AudioFileFormat AudioFileFormats[] = {
    {SpeechFileStream::Format16kHz16BitMono, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 16000},
    {SpeechFileStream::FormatMp3, 0, 0},
    {SpeechFileStream::FormatOggVorbis, SF_FORMAT_OGG | SF_FORMAT_VORBIS, 0},
    {SpeechFileStream::FormatOpus, SF_FORMAT_OGG | SF_FORMAT_OPUS, 24000}, // no 22.05 kHz
    {SpeechFileStream::FormatFlac, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 0},
};

inline const AudioFileFormat* findAudioFileFormat(int type) {
    for (const AudioFileFormat& format : AudioFileFormats) {
        if (format.type == type)
            return &format;
    }
    return nullptr;
}
