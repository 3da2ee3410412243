// A helper that synthesises pieces of text for the exporter, so that several run at once (the
// engine allows one synthesiser per process), and resamples them to the file's rate, so that
// resampling is shared out too.
//   stdin, per piece:  "<voice id>\t<rate>\t<volume>\t<sample rate>\t<end pause>\t<bytes>\n"
//                      and that many bytes of UTF-8 text; end pause 1 ends the piece with a
//                      sentence's pause (more follows it), 0 leaves it out as at a text's end
//   stdout, per piece: blocks of [uint32 sample count][16-bit samples at the sample rate asked],
//                      ended by a block with a count of 0; and for each word the engine begins,
//                      [0xfffffffe][uint32 its code point in the text, from 1][uint32 its
//                      sample in the piece], so that the exporter knows where sentences begin
// Each piece is resampled on its own: pieces end at the end of a sentence, in silence, so the
// joins stay clean.
#include "app/code_points.h"
#include "platform/speech/engine_input.h"
#include "platform/speech/resampler.h"
#include "platform/speech/speech_rate.h"

#include <espeak-ng/speak_lib.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// Samples per block sent: large blocks keep the exporter's work per second of speech small.
constexpr size_t BlockSamples = 32768;
// Milliseconds of speech per engine callback.
constexpr int EngineBuffer = 500;

int engineRate = 22050;
int outputRate = 22050;
int volumePercent = 100;
soxr_t resampler = nullptr; // null: the piece is sent at the engine's rate
std::vector<int16_t> pending;
std::vector<uint32_t> words; // of the block being filled: position, sample, position, ...
// What the engine was given for the piece, and the piece's character (from 1) at each UTF-16
// position of it: words are reported in the piece's own characters.
const EngineInput* engineText = nullptr;
std::vector<uint32_t> pieceCharacters;

constexpr uint32_t WordTag = 0xfffffffeu;

bool sendWords() {
    bool ok = true;
    for (size_t i = 0; ok && i + 1 < words.size(); i += 2) {
        const uint32_t mark[3] = {WordTag, words[i], words[i + 1]};
        ok = std::fwrite(mark, sizeof mark, 1, stdout) == 1;
    }
    words.clear();
    return ok;
}

bool sendPending() {
    if (!sendWords())
        return false;
    const uint32_t size = uint32_t(pending.size());
    const bool ok =
        std::fwrite(&size, sizeof size, 1, stdout) == 1 &&
        std::fwrite(pending.data(), sizeof(int16_t), pending.size(), stdout) == pending.size();
    pending.clear();
    return ok;
}

// Appends the samples to the block being filled, resampled when a resampler is set; a null
// input drains the resampler at the end of a piece.
void append(const int16_t* samples, size_t count) {
    if (!resampler) {
        pending.insert(pending.end(), samples, samples + count);
        return;
    }
    for (;;) {
        const size_t start = pending.size();
        const size_t room = count * 2 + 4096; // enough for every rate a file takes
        size_t used = 0;
        size_t produced = 0;
        pending.resize(start + room);
        soxr_process(resampler, samples, count, &used, pending.data() + start, room, &produced);
        pending.resize(start + produced);
        if (samples) {
            samples += used;
            count -= used;
            if (count == 0)
                return;
        } else if (produced == 0) {
            return;
        }
    }
}

void noteWords(const espeak_EVENT* event) {
    for (; event && event->type != espeakEVENT_LIST_TERMINATED; ++event) {
        // The engine also reports an empty word at the end of the text.
        if (event->type != espeakEVENT_WORD || event->length <= 0)
            continue;
        const int written = engineText->start(event->text_position - 1);
        words.push_back(
            pieceCharacters[size_t(std::clamp<int>(written, 0, int(pieceCharacters.size()) - 1))]);
        words.push_back(uint32_t(int64_t(event->sample) * outputRate / engineRate));
    }
}

int collect(short* samples, int count, espeak_EVENT* events) {
    noteWords(events);
    if (!samples || count <= 0)
        return 0;
    if (volumePercent < 100) {
        for (int i = 0; i < count; ++i)
            samples[i] = short(samples[i] * volumePercent / 100);
    }
    append(samples, size_t(count));
    if (pending.size() >= BlockSamples && !sendPending())
        return 1; // 1 aborts: the exporter has gone
    return 0;
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
    outputRate = rate;
    if (rate == engineRate)
        return;
    resampler = createResampler(engineRate, rate);
}

void countCharacters(const QString& piece) {
    pieceCharacters.clear();
    uint32_t character = 0;
    for (qsizetype i = 0; i < piece.size(); ++i) {
        if (!endsSurrogatePair(piece, i))
            ++character;
        pieceCharacters.push_back(character);
    }
    pieceCharacters.push_back(character + 1);
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
    pending.reserve(BlockSamples * 2);
    char voice[256];
    std::string voiceSet;
    int rate = 0;
    int sampleRate = 0;
    int endPause = 0;
    long bytes = 0;
    while (std::scanf("%255[^\t]\t%d\t%d\t%d\t%d\t%ld", voice, &rate, &volumePercent, &sampleRate,
                      &endPause, &bytes) == 6) {
        if (std::getchar() != '\n' || bytes < 0 || sampleRate < 8000 || sampleRate > 192000)
            return 1;
        std::string text(size_t(bytes), '\0');
        if (std::fread(text.data(), 1, text.size(), stdin) != text.size())
            return 1;
        volumePercent = std::clamp(volumePercent, 0, 100);
        useSampleRate(sampleRate);
        const QString piece = QString::fromUtf8(text);
        const EngineInput input = engineInput(QString::fromUtf8(voice), piece);
        engineText = &input;
        countCharacters(piece);
        const std::string engineVoice = input.voice.toStdString();
        // Every piece sets it: a voice change inside a piece's markup outlasts the piece.
        if (voiceSet != engineVoice || input.markup) {
            espeak_SetVoiceByName(engineVoice.c_str()); // as the window does
            voiceSet = engineVoice;
        }
        const RateSetting setting = espeakRate(rate);
        espeak_SetParameter(espeakRATE, setting.wordsPerMinute, 0);
        espeak_SetParameter(espeakWORDGAP, setting.wordGap, 0);
        const unsigned int flags =
            espeakCHARS_UTF8 | (input.markup ? espeakSSML : 0) | (endPause ? espeakENDPAUSE : 0);
        espeak_Synth(input.text.constData(), size_t(input.text.size()) + 1, 0, POS_CHARACTER, 0,
                     flags, nullptr, nullptr);
        if (resampler)
            append(nullptr, 0);
        const uint32_t end = 0;
        if ((!pending.empty() && !sendPending()) || !sendWords() ||
            std::fwrite(&end, sizeof end, 1, stdout) != 1 || std::fflush(stdout) != 0)
            return 1;
    }
    espeak_Terminate();
    return 0;
}
