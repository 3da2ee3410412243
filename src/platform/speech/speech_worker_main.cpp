// A helper that synthesises pieces of text for the exporter, so that several run at once (the
// engine allows one synthesiser per process).
//   stdin, per piece:  "<voice id>\t<rate>\t<volume>\t<bytes>\n" and that many bytes of UTF-8 text
//   stdout, per piece: blocks of [uint32 sample count][16-bit samples at the engine's rate],
//                      ended by a block with a count of 0
#include "platform/speech/speech_rate.h"

#include <espeak-ng/speak_lib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

int volumePercent = 100;

int toStdout(short* samples, int count, espeak_EVENT*) {
    if (!samples || count <= 0)
        return 0;
    std::vector<int16_t> scaled(samples, samples + count);
    if (volumePercent < 100) {
        for (int16_t& sample : scaled)
            sample = int16_t(sample * volumePercent / 100);
    }
    const uint32_t size = uint32_t(count);
    const bool ok =
        std::fwrite(&size, sizeof size, 1, stdout) == 1 &&
        std::fwrite(scaled.data(), sizeof(int16_t), scaled.size(), stdout) == scaled.size();
    return ok ? 0 : 1; // 1 aborts: the exporter has gone
}

} // namespace

int main() {
    if (espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 20, nullptr, 0) <= 0)
        return 1;
    espeak_SetSynthCallback(toStdout);
    char voice[256];
    int rate = 0;
    long bytes = 0;
    while (std::scanf("%255[^\t]\t%d\t%d\t%ld", voice, &rate, &volumePercent, &bytes) == 4) {
        if (std::getchar() != '\n' || bytes < 0)
            return 1;
        std::string text(size_t(bytes), '\0');
        if (std::fread(text.data(), 1, text.size(), stdin) != text.size())
            return 1;
        volumePercent = std::clamp(volumePercent, 0, 100);
        const RateSetting setting = espeakRate(rate);
        espeak_SetVoiceByFile(voice);
        espeak_SetParameter(espeakRATE, setting.wordsPerMinute, 0);
        espeak_SetParameter(espeakWORDGAP, setting.wordGap, 0);
        espeak_Synth(text.c_str(), text.size() + 1, 0, POS_CHARACTER, 0, espeakCHARS_UTF8, nullptr,
                     nullptr);
        const uint32_t end = 0;
        if (std::fwrite(&end, sizeof end, 1, stdout) != 1 || std::fflush(stdout) != 0)
            return 1;
    }
    espeak_Terminate();
    return 0;
}
