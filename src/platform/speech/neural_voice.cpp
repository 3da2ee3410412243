#include "neural_voice.h"

#include "app/app_error.h"
#include "audio_player.h"
#include "neural_speech_text.h"
#include "neural_voice_folder.h"
#include "resampler.h"
#include "speech/chinese/chinese_numbers.h"
#include "wav_file_stream.h"

#include <algorithm>
#include <cmath>
#include <utility>

struct NeuralVoice::Utterance {
    int generation;
    int failures;
    int stream;
    int volume;
    double speed;
    VoiceToken voice;
    QString folder;      // empty: no voice installed
    WavFileStream* file; // null: to the sound device
};

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

// A piece's whole audio at another rate, its tail drained.
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

} // namespace

NeuralVoice::NeuralVoice(QString workerProgram)
    : m_playback(AudioPlayer::SampleRate / 2),
      m_worker(std::make_unique<NeuralWorker>(std::move(workerProgram))) {
    connect(&m_playback, &SpeechPlayback::level, this, &SpeechVoice::AudioLevel);
    connect(&m_playback, &SpeechPlayback::boundary, this, &SpeechVoice::Boundary);
    // The helper's pipes need a thread with Qt's event dispatcher.
    m_synthesis = new QObject;
    m_synthesis->moveToThread(&m_synthesisThread);
    connect(&m_synthesisThread, &QThread::finished, m_synthesis, &QObject::deleteLater);
    m_synthesisThread.start();
}

NeuralVoice::~NeuralVoice() {
    cancelAll();
    // The helper's process belongs to the synthesis thread, and ends there.
    QMetaObject::invokeMethod(
        m_synthesis, [this] { m_worker.reset(); }, Qt::BlockingQueuedConnection);
    m_synthesisThread.quit();
    m_synthesisThread.wait();
}

void NeuralVoice::Speak(const QString& text, int) {
    {
        std::lock_guard lock(m_failureMutex);
        m_failure.clear();
    }
    VoiceToken voice = m_voice;
    if (voice.id.isEmpty()) {
        const QList<VoiceToken> installed = installedNeuralVoices();
        if (!installed.isEmpty())
            voice = installed.first();
    }
    const Utterance utterance{.generation = m_playback.generation(),
                              .failures = m_failures,
                              .stream = ++m_streams,
                              .volume = m_volume,
                              .speed = speed(m_rate),
                              .voice = voice,
                              .folder = neuralVoiceFolder(voice.id),
                              .file = m_fileStream};
    if (!m_fileStream)
        m_playback.open();
    ++m_pending;
    QMetaObject::invokeMethod(
        m_synthesis,
        [this, utterance, text] {
            if (utterance.generation == m_playback.generation() && utterance.failures == m_failures)
                speak(utterance, text);
            --m_pending;
        },
        Qt::QueuedConnection);
}

void NeuralVoice::speak(const Utterance& utterance, const QString& text) {
    const QString& folder = utterance.folder;
    try {
        if (folder.isEmpty())
            throw AppError(QStringLiteral("没有安装自然语音（%1）").arg(neuralVoicesFolder()));
        if (!m_sampleRates.contains(folder))
            m_sampleRates.insert(folder, m_worker->open(folder).sampleRate);
        for (const SpeechPiece& piece : speechPieces(text)) {
            if (!speakPiece(utterance, text, piece, m_sampleRates.value(folder)))
                return;
        }
    } catch (const AppError& error) {
        // The helper may have failed only now: the next request opens the voice again.
        m_sampleRates.remove(folder);
        fail(error.message());
        return;
    }
    if (!utterance.file) {
        SpeechMark end;
        end.kind = int(SpeechBoundary::End);
        end.position = int(text.size());
        end.generation = utterance.generation;
        m_playback.buffer().write(nullptr, 0, utterance.stream, utterance.generation, {end});
    }
}

// False when the speech was cut off meanwhile.
bool NeuralVoice::speakPiece(const Utterance& utterance, const QString& text,
                             const SpeechPiece& piece, int voiceRate) {
    const QString written = text.sliced(piece.start, piece.end - piece.start);
    const SpokenText spoken =
        isChinese(utterance.voice.language) ? chineseSpokenForm(written) : asWritten(written);
    std::vector<qint16> samples;
    // A text cut off is still made to its end: the voice stays open for the next one, and a
    // piece is short.
    m_worker->synthesise({utterance.folder, 0, utterance.speed}, spoken.text,
                         [&](const qint16* block, size_t count) {
                             samples.insert(samples.end(), block, block + count);
                             return true;
                         });
    if (utterance.generation != m_playback.generation())
        return false;
    if (utterance.volume < 100) {
        for (qint16& sample : samples)
            sample = qint16(sample * utterance.volume / 100);
    }
    if (utterance.file) {
        const std::vector<qint16> out = resampled(samples, voiceRate, utterance.file->sampleRate());
        return utterance.file->writeAtFileRate(out.data(), out.size(), utterance.generation);
    }
    std::vector<SpeechMark> marks = pieceMarks(piece, spoken, samples);
    const std::vector<qint16> out = resampled(samples, voiceRate, AudioPlayer::SampleRate);
    for (SpeechMark& mark : marks) {
        mark.generation = utterance.generation;
        mark.sample =
            std::min(out.size(), size_t(double(mark.sample) * AudioPlayer::SampleRate / voiceRate));
    }
    return m_playback.buffer().write(out.data(), out.size(), utterance.stream, utterance.generation,
                                     std::move(marks));
}

void NeuralVoice::fail(const QString& message) {
    {
        std::lock_guard lock(m_failureMutex);
        m_failure = message;
        ++m_failures;
    }
    QMetaObject::invokeMethod(
        this, [this, message] { Q_EMIT SpeakFailed(message); }, Qt::QueuedConnection);
}

void NeuralVoice::Pause() {
    m_playback.pause();
}

void NeuralVoice::Resume() {
    m_playback.resume();
}

void NeuralVoice::cancelAll() {
    const int generation = m_playback.cancel();
    if (m_fileStream)
        m_fileStream->cancel(generation);
    std::lock_guard lock(m_failureMutex);
    m_failure.clear();
}

void NeuralVoice::Skip(const QString&, int) {
    cancelAll();
}

void NeuralVoice::ReleaseVoice() {
    cancelAll();
    m_fileStream = nullptr; // a fresh voice speaks to the sound device
}

QList<VoiceToken> NeuralVoice::GetVoices(const QString&, const QString&) {
    return installedNeuralVoices();
}

void NeuralVoice::setVoice(const VoiceToken& voice) {
    const QList<VoiceToken> installed = installedNeuralVoices();
    const auto found = std::find_if(installed.begin(), installed.end(),
                                    [&](const VoiceToken& token) { return token.id == voice.id; });
    if (found == installed.end())
        throw AppError(QStringLiteral("没有安装语音 %1").arg(voice.description));
    m_voice = *found;
}

void NeuralVoice::setRate(int rate) {
    m_rate = std::clamp(rate, -10, 10);
}

void NeuralVoice::setVolume(int volume) {
    m_volume = std::clamp(volume, 0, 100);
}

// Every event the program handles is always raised.
void NeuralVoice::setEventInterests(int) {}

// The file stream's format is fixed when it is opened.
void NeuralVoice::setAllowAudioOutputFormatChangesOnNextSet(bool) {}

void NeuralVoice::setAudioOutputStream(SpeechFileStream* stream) {
    auto* file = dynamic_cast<WavFileStream*>(stream);
    if (!file)
        throw AppError(QStringLiteral("语音引擎无法写入这个文件"));
    file->cancel(m_playback.generation()); // the stream takes this generation's speech from now on
    m_fileStream = file;
}

void NeuralVoice::setAudioOutputToDevice() {
    m_fileStream = nullptr;
}

bool NeuralVoice::isIdle() const {
    if (m_pending > 0)
        return false;
    return m_fileStream ? m_fileStream->isIdle() : m_playback.isIdle();
}

bool NeuralVoice::WaitUntilDone(int milliseconds) {
    if (!SpeechPlayback::waitUntil([this] { return isIdle(); }, milliseconds))
        return false;
    std::lock_guard lock(m_failureMutex);
    if (m_failure.isEmpty())
        return true;
    const QString failure = std::exchange(m_failure, QString());
    throw AppError(failure);
}
