#include "neural_piece_audio.h"

#include "app/app_error.h"
#include "resampler.h"
#include "speech/chinese/chinese_numbers.h"

#include <algorithm>
#include <cmath>

namespace {

bool isChinese(const QString& language) {
    return language.startsWith(QStringLiteral("zh")) ||
           language.startsWith(QStringLiteral("cmn")) || language.startsWith(QStringLiteral("yue"));
}

// The runtime's speed for a rate of -10 to 10: 1 at 0, halved at -10, doubled at 10.
double speed(int rate) {
    return std::pow(2.0, std::clamp(rate, -10, 10) / 10.0);
}

SpokenText asWritten(const QString& text) {
    SpokenText same{text, {}};
    for (int at = 0; at <= text.size(); ++at)
        same.positions.push_back(at);
    return same;
}

} // namespace

NeuralPieceAudio neuralPieceAudio(NeuralWorker& worker, const NeuralSpeech& speech,
                                  const QString& text, const SpeechPiece& piece) {
    const QString written = text.sliced(piece.start, piece.end - piece.start);
    const SpokenText spoken =
        isChinese(speech.language) ? chineseSpokenForm(written) : asWritten(written);
    NeuralPieceAudio audio;
    worker.synthesise({speech.folder, speech.speaker, speed(speech.rate)}, spoken.text,
                      [&](const qint16* block, size_t count) {
                          audio.samples.insert(audio.samples.end(), block, block + count);
                          return true;
                      });
    if (speech.volume < 100) {
        for (qint16& sample : audio.samples)
            sample = qint16(sample * speech.volume / 100);
    }
    audio.marks = pieceMarks(piece, spoken, audio.samples);
    return audio;
}

std::vector<qint16> resampled(const std::vector<qint16>& samples, int from, int to) {
    if (from == to || samples.empty())
        return samples;
    const soxr_t resampler = createResampler(from, to);
    if (!resampler)
        throw AppError(QStringLiteral("无法把 %1 Hz 的声音转换为 %2 Hz").arg(from).arg(to));
    std::vector<qint16> out(size_t(double(samples.size()) * to / from) + 1024);
    size_t total = 0;
    soxr_process(resampler, samples.data(), samples.size(), nullptr, out.data(), out.size(),
                 &total);
    size_t produced = 0;
    do {
        soxr_process(resampler, nullptr, 0, nullptr, out.data() + total, out.size() - total,
                     &produced);
        total += produced;
    } while (produced > 0 && total < out.size());
    soxr_delete(resampler);
    out.resize(total);
    return out;
}

size_t sampleAtRate(size_t sample, int from, int to, size_t count) {
    return std::min(count, size_t(double(sample) * to / from));
}
