// A helper that synthesises pieces of text for the exporter, so that several run at once (the
// engine allows one synthesiser per process), and resamples them to the file's rate, so that
// resampling is shared out too.
//   stdin, per piece:  "<voice id>\t<rate>\t<volume>\t<sample rate>\t<bytes>\n" and that many
//                      bytes of UTF-8 text
//   stdout, per piece: blocks of [uint32 sample count][16-bit samples at the sample rate asked],
//                      ended by a block with a count of 0
// Each piece is resampled on its own: pieces end at the end of a sentence, in silence, so the
// joins stay clean.
#include "platform/speech/resampler.h"
#include "platform/speech/speech_rate.h"

#include <espeak-ng/speak_lib.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Samples per block sent: large blocks keep the exporter's work per second of speech small.
constexpr size_t BlockSamples = 32768;
// Milliseconds of speech per engine callback.
constexpr int EngineBuffer = 500;

int engineRate = 22050;
int volumePercent = 100;
soxr_t resampler = nullptr; // null: the piece is sent at the engine's rate

// The block being filled: two words for its sample count, then the samples, sent in one write.
// Allocated once: room for a full block and more than one engine callback's worth beyond it.
std::vector<int16_t> block(2 + 2 * BlockSamples);
size_t filled = 0; // samples in the block

size_t room() {
    return block.size() - 2 - filled;
}

bool sendBlock() {
    const uint32_t size = uint32_t(filled);
    std::memcpy(block.data(), &size, sizeof size);
    const size_t words = 2 + filled;
    filled = 0;
    return std::fwrite(block.data(), sizeof(int16_t), words, stdout) == words;
}

// Appends the samples to the block, resampled when a resampler is set, and sends each block that
// fills; a null input drains the resampler at the end of a piece. False when the exporter has
// gone.
bool append(const int16_t* samples, size_t count) {
    if (!resampler && !samples)
        return true;
    for (;;) {
        int16_t* end = block.data() + 2 + filled;
        size_t used = 0;
        size_t produced = 0;
        if (resampler) {
            soxr_process(resampler, samples, count, &used, end, room(), &produced);
        } else {
            used = produced = std::min(count, room());
            std::copy_n(samples, used, end);
        }
        filled += produced;
        if (filled >= BlockSamples && !sendBlock())
            return false;
        if (samples) {
            samples += used;
            count -= used;
            if (count == 0)
                return true;
        } else if (produced == 0) {
            return true;
        }
    }
}

int collect(short* samples, int count, espeak_EVENT*) {
    if (!samples || count <= 0)
        return 0;
    if (volumePercent < 100) {
        for (int i = 0; i < count; ++i)
            samples[i] = short(samples[i] * volumePercent / 100);
    }
    return append(samples, size_t(count)) ? 0 : 1; // 1 aborts: the exporter has gone
}

// A resampler from the engine's rate to the rate asked, fresh for a new piece, or none when the
// rates are the same.
void useSampleRate(int rate) {
    static int current = 0;
    if (rate == current && resampler) {
        soxr_clear(resampler);
        return;
    }
    soxr_delete(resampler);
    resampler = nullptr;
    current = rate;
    if (rate == engineRate)
        return;
    resampler = createResampler(engineRate, rate);
}

} // namespace

int main() {
    engineRate = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, EngineBuffer, nullptr, 0);
    if (engineRate <= 0)
        return 1;
    espeak_SetSynthCallback(collect);
    // Room for many blocks in the pipe, so that synthesis goes on while the exporter reads
    // another helper (a failure leaves the usual size).
    fcntl(STDOUT_FILENO, F_SETPIPE_SZ, 1 << 20);
    char voice[256];
    std::string voiceSet;
    int rate = 0;
    int sampleRate = 0;
    long bytes = 0;
    while (std::scanf("%255[^\t]\t%d\t%d\t%d\t%ld", voice, &rate, &volumePercent, &sampleRate,
                      &bytes) == 5) {
        if (std::getchar() != '\n' || bytes < 0 || sampleRate < 8000 || sampleRate > 192000)
            return 1;
        std::string text(size_t(bytes), '\0');
        if (std::fread(text.data(), 1, text.size(), stdin) != text.size())
            return 1;
        volumePercent = std::clamp(volumePercent, 0, 100);
        useSampleRate(sampleRate);
        if (voiceSet != voice) {
            espeak_SetVoiceByName(voice); // as the window does
            voiceSet = voice;
        }
        const RateSetting setting = espeakRate(rate);
        espeak_SetParameter(espeakRATE, setting.wordsPerMinute, 0);
        espeak_SetParameter(espeakWORDGAP, setting.wordGap, 0);
        espeak_Synth(text.c_str(), text.size() + 1, 0, POS_CHARACTER, 0, espeakCHARS_UTF8, nullptr,
                     nullptr);
        const uint32_t end = 0;
        if (!append(nullptr, 0) || (filled > 0 && !sendBlock()) ||
            std::fwrite(&end, sizeof end, 1, stdout) != 1 || std::fflush(stdout) != 0)
            return 1;
    }
    espeak_Terminate();
    return 0;
}
