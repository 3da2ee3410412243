#pragma once

#include "platform/speech/neural_runtime_api.h"

#include <QString>

// The natural voices' runtime, opened from the program's private library folder when first
// needed, so that a machine without it still starts and speaks with espeak-ng.
struct NeuralLibrary {
    static constexpr const char* PinnedVersion = "1.13.8";

    const char* (*version)();
    const SherpaOnnxOfflineTts* (*create)(const SherpaOnnxOfflineTtsConfig* config);
    void (*destroy)(const SherpaOnnxOfflineTts* tts);
    int32_t (*sampleRate)(const SherpaOnnxOfflineTts* tts);
    int32_t (*speakerCount)(const SherpaOnnxOfflineTts* tts);
    const SherpaOnnxGeneratedAudio* (*generate)(const SherpaOnnxOfflineTts* tts, const char* text,
                                                int32_t speaker, float speed,
                                                SherpaOnnxGeneratedAudioCallbackWithArg callback,
                                                void* arg);
    void (*destroyAudio)(const SherpaOnnxGeneratedAudio* audio);
};

// The folder beside the running program that holds the runtime.
QString neuralLibraryFolder();

// The runtime's calls, opened once; AppError when it is missing, is another version than the
// one this program was built for, or lacks a call.
const NeuralLibrary& neuralLibrary();
