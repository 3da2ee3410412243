#pragma once

// The part of sherpa-onnx's C API (c-api.h) that the natural voices use. The npm package that
// carries the library has no header, so the layout of the pinned version (1.13.8) is declared
// here and held by the asserts below; tst_neural_runtime_api checks it against the library.
#include <cstddef>
#include <cstdint>

extern "C" {

struct SherpaOnnxOfflineTtsVitsModelConfig {
    const char* model;
    const char* lexicon;
    const char* tokens;
    const char* data_dir; // espeak-ng-data of a Piper voice
    float noise_scale;
    float noise_scale_w;
    float length_scale;
    const char* dict_dir;
};

// A Matcha voice: the acoustic model makes a mel spectrogram, the vocoder (a separate file) the
// sound from it.
struct SherpaOnnxOfflineTtsMatchaModelConfig {
    const char* acoustic_model;
    const char* vocoder;
    const char* lexicon;
    const char* tokens;
    const char* data_dir; // espeak-ng-data of an English voice
    float noise_scale;
    float length_scale;
    const char* dict_dir;
};

// A Kokoro voice: the speakers' styles are in voices.bin.
struct SherpaOnnxOfflineTtsKokoroModelConfig {
    const char* model;
    const char* voices;
    const char* tokens;
    const char* data_dir; // espeak-ng-data
    float length_scale;
    const char* dict_dir;
    const char* lexicon; // comma-separated
    const char* lang;
};

struct SherpaOnnxOfflineTtsModelConfig {
    SherpaOnnxOfflineTtsVitsModelConfig vits;
    int32_t num_threads;
    int32_t debug;
    const char* provider;
    SherpaOnnxOfflineTtsMatchaModelConfig matcha;
    SherpaOnnxOfflineTtsKokoroModelConfig kokoro;
    // The other model families (Kitten, ZipVoice, Pocket, Supertonic), unused here and left
    // zero.
    unsigned char otherModels[224];
};

struct SherpaOnnxOfflineTtsConfig {
    SherpaOnnxOfflineTtsModelConfig model;
    const char* rule_fsts; // comma-separated
    int32_t max_num_sentences;
    const char* rule_fars;
    float silence_scale;
};

struct SherpaOnnxGeneratedAudio {
    const float* samples; // in [-1, 1]
    int32_t n;
    int32_t sample_rate;
};

struct SherpaOnnxOfflineTts;

// Given each piece of audio as it is made; 0 stops the generation, 1 goes on.
using SherpaOnnxGeneratedAudioCallbackWithArg = int32_t (*)(const float* samples, int32_t n,
                                                            void* arg);
}

static_assert(sizeof(void*) == 8, "the layout below is the one of 64-bit Linux");
static_assert(sizeof(SherpaOnnxOfflineTtsVitsModelConfig) == 56);
static_assert(offsetof(SherpaOnnxOfflineTtsVitsModelConfig, noise_scale) == 32);
static_assert(offsetof(SherpaOnnxOfflineTtsVitsModelConfig, dict_dir) == 48);
static_assert(offsetof(SherpaOnnxOfflineTtsModelConfig, num_threads) == 56);
static_assert(offsetof(SherpaOnnxOfflineTtsModelConfig, provider) == 64);
static_assert(sizeof(SherpaOnnxOfflineTtsMatchaModelConfig) == 56);
static_assert(offsetof(SherpaOnnxOfflineTtsMatchaModelConfig, noise_scale) == 40);
static_assert(offsetof(SherpaOnnxOfflineTtsMatchaModelConfig, dict_dir) == 48);
static_assert(sizeof(SherpaOnnxOfflineTtsKokoroModelConfig) == 64);
static_assert(offsetof(SherpaOnnxOfflineTtsKokoroModelConfig, length_scale) == 32);
static_assert(offsetof(SherpaOnnxOfflineTtsKokoroModelConfig, dict_dir) == 40);
static_assert(offsetof(SherpaOnnxOfflineTtsKokoroModelConfig, lang) == 56);
static_assert(offsetof(SherpaOnnxOfflineTtsModelConfig, matcha) == 72);
static_assert(offsetof(SherpaOnnxOfflineTtsModelConfig, kokoro) == 128);
static_assert(offsetof(SherpaOnnxOfflineTtsModelConfig, otherModels) == 192);
static_assert(sizeof(SherpaOnnxOfflineTtsModelConfig) == 416);
static_assert(offsetof(SherpaOnnxOfflineTtsConfig, rule_fsts) == 416);
static_assert(offsetof(SherpaOnnxOfflineTtsConfig, max_num_sentences) == 424);
static_assert(offsetof(SherpaOnnxOfflineTtsConfig, rule_fars) == 432);
static_assert(offsetof(SherpaOnnxOfflineTtsConfig, silence_scale) == 440);
static_assert(sizeof(SherpaOnnxOfflineTtsConfig) == 448);
static_assert(sizeof(SherpaOnnxGeneratedAudio) == 16);
static_assert(offsetof(SherpaOnnxGeneratedAudio, sample_rate) == 12);
