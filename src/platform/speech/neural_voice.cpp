#include "neural_voice.h"

#include "app/app_error.h"
#include "audio_player.h"
#include "neural_piece_audio.h"
#include "neural_voice_folder.h"
#include "wav_file_stream.h"

#include <algorithm>
#include <utility>

struct NeuralVoice::Utterance {
    int generation;
    int failures;
    int stream;
    NeuralSpeech speech; // no folder: no voice installed
    WavFileStream* file; // null: to the sound device
};

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
                              .speech = {.folder = neuralVoiceFolder(voice.id),
                                         .speaker = neuralVoiceSpeaker(voice.id),
                                         .language = voice.language,
                                         .rate = m_rate,
                                         .volume = m_volume},
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
    const QString& folder = utterance.speech.folder;
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
    // A text cut off is still made to its end: the voice stays open for the next one, and a
    // piece is short.
    NeuralPieceAudio audio = neuralPieceAudio(*m_worker, utterance.speech, text, piece);
    if (utterance.generation != m_playback.generation())
        return false;
    const int outRate = utterance.file ? utterance.file->sampleRate() : AudioPlayer::SampleRate;
    const std::vector<qint16> out = resampled(audio.samples, voiceRate, outRate);
    if (utterance.file)
        return utterance.file->writeAtFileRate(out.data(), out.size(), utterance.generation);
    for (SpeechMark& mark : audio.marks) {
        mark.generation = utterance.generation;
        mark.sample = sampleAtRate(mark.sample, voiceRate, AudioPlayer::SampleRate, out.size());
    }
    return m_playback.buffer().write(out.data(), out.size(), utterance.stream, utterance.generation,
                                     std::move(audio.marks));
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
