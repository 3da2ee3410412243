#include "espeak_voice.h"

#include "app/app_error.h"
#include "audio_player.h"
#include "pcm_buffer.h"
#include "speech_rate.h"
#include "wav_file_stream.h"

#include <espeak-ng/speak_lib.h>

#include <QElapsedTimer>
#include <algorithm>
#include <future>

struct EspeakVoice::Utterance {
    EspeakVoice* voice;
    int generation;
    int stream;
    int volume;
    WavFileStream* file; // null: to the sound device
};

namespace {

int synthCallback(short* samples, int count, espeak_EVENT* events) {
    auto* utterance = static_cast<const EspeakVoice::Utterance*>(events->user_data);
    if (!samples || count == 0)
        return 0;
    return utterance->voice->deliver(*utterance, samples, count) ? 0 : 1; // 1 aborts synthesis
}

// Mandarin first, then English, then the rest by name.
int voiceGroup(const QString& language) {
    if (language.startsWith(QStringLiteral("cmn")))
        return 0;
    if (language == QStringLiteral("en") || language.startsWith(QStringLiteral("en-")))
        return 1;
    return 2;
}

QList<VoiceToken> listVoices() {
    struct Entry {
        int group;
        VoiceToken token;
    };
    std::vector<Entry> entries;
    for (const espeak_VOICE** v = espeak_ListVoices(nullptr); v && *v; ++v) {
        const QString language = QString::fromUtf8((*v)->languages + 1);
        QString name = QString::fromUtf8((*v)->name).replace(u'_', u' ');
        entries.push_back({voiceGroup(language), {QString::fromUtf8((*v)->identifier), name}});
    }
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        if (a.group != b.group)
            return a.group < b.group;
        const int byName = a.token.description.compare(b.token.description, Qt::CaseInsensitive);
        return byName != 0 ? byName < 0 : a.token.id < b.token.id;
    });
    QList<VoiceToken> voices;
    for (const Entry& entry : entries)
        voices << entry.token;
    return voices;
}

} // namespace

EspeakVoice::EspeakVoice() : m_buffer(std::make_unique<PcmBuffer>(SampleRate / 2)) {
    m_worker = std::thread(&EspeakVoice::runWorker, this);
    std::promise<QList<VoiceToken>> started;
    auto result = started.get_future();
    post([&] {
        if (espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 20, nullptr, 0) != SampleRate) {
            started.set_exception(std::make_exception_ptr(
                AppError(QStringLiteral("The speech engine's data could not be loaded"))));
            return;
        }
        espeak_SetSynthCallback(synthCallback);
        started.set_value(listVoices());
    });
    try {
        m_voices = result.get();
    } catch (...) {
        post([this] { m_quit = true; });
        m_worker.join();
        throw;
    }
    if (!m_voices.isEmpty())
        m_voice = m_voices.first();

    m_player = new AudioPlayer(*m_buffer);
    m_player->moveToThread(&m_audioThread);
    connect(&m_audioThread, &QThread::finished, m_player, &QObject::deleteLater);
    connect(m_player, &AudioPlayer::level, this, &SpeechVoice::AudioLevel);
    connect(m_player, &AudioPlayer::streamStarted, this, &EspeakVoice::StartStream,
            Qt::DirectConnection);
    m_audioThread.start();
    QMetaObject::invokeMethod(m_player, &AudioPlayer::start, Qt::QueuedConnection);
}

EspeakVoice::~EspeakVoice() {
    cancelAll();
    post([this] {
        espeak_Terminate();
        m_quit = true;
    });
    m_worker.join();
    m_audioThread.quit();
    m_audioThread.wait();
}

void EspeakVoice::post(std::function<void()> job) {
    std::lock_guard lock(m_mutex);
    m_jobs.push_back(std::move(job));
    m_jobsChanged.notify_all();
}

void EspeakVoice::runWorker() {
    for (;;) {
        std::function<void()> job;
        {
            std::unique_lock lock(m_mutex);
            m_jobsChanged.wait(lock, [&] { return !m_jobs.empty(); });
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
        }
        job();
        std::lock_guard lock(m_mutex);
        if (m_quit)
            return;
    }
}

void EspeakVoice::Speak(const QString& text, int) {
    const Utterance utterance{this, m_generation, ++m_streams, m_volume, m_fileStream};
    const QString voiceId = m_voice.id;
    const RateSetting rate = espeakRate(m_rate);
    ++m_pending;
    post([=, this] {
        if (utterance.generation == m_generation) {
            espeak_SetVoiceByFile(voiceId.toUtf8().constData());
            espeak_SetParameter(espeakRATE, rate.wordsPerMinute, 0);
            espeak_SetParameter(espeakWORDGAP, rate.wordGap, 0);
            const QByteArray utf8 = text.toUtf8();
            espeak_Synth(utf8.constData(), size_t(utf8.size()) + 1, 0, POS_CHARACTER, 0,
                         espeakCHARS_UTF8, nullptr, const_cast<Utterance*>(&utterance));
        }
        --m_pending;
    });
}

bool EspeakVoice::deliver(const Utterance& utterance, const qint16* samples, int count) {
    if (utterance.generation != m_generation)
        return false;
    std::vector<qint16> scaled(samples, samples + count);
    if (utterance.volume < 100) {
        for (qint16& sample : scaled)
            sample = qint16(sample * utterance.volume / 100);
    }
    if (utterance.file)
        return utterance.file->write(scaled.data(), scaled.size(), utterance.generation);
    return m_buffer->write(scaled.data(), scaled.size(), utterance.stream, utterance.generation);
}

void EspeakVoice::Pause() {
    QMetaObject::invokeMethod(m_player, &AudioPlayer::pause, Qt::QueuedConnection);
}

void EspeakVoice::Resume() {
    QMetaObject::invokeMethod(m_player, &AudioPlayer::resume, Qt::QueuedConnection);
}

void EspeakVoice::cancelAll() {
    const int generation = ++m_generation;
    m_buffer->cancel(generation);
    if (m_fileStream)
        m_fileStream->cancel(generation);
    QMetaObject::invokeMethod(m_player, &AudioPlayer::reset, Qt::QueuedConnection);
}

void EspeakVoice::Skip(const QString&, int) {
    cancelAll();
}

void EspeakVoice::ReleaseVoice() {
    cancelAll();
    m_fileStream = nullptr; // a fresh engine speaks to the sound device
}

QList<VoiceToken> EspeakVoice::GetVoices(const QString&, const QString&) {
    return m_voices;
}

void EspeakVoice::setVoice(const VoiceToken& voice) {
    if (!m_voices.contains(voice))
        throw AppError(QStringLiteral("The voice %1 is not installed").arg(voice.description));
    m_voice = voice;
}

void EspeakVoice::setRate(int rate) {
    m_rate = std::clamp(rate, -10, 10);
}

void EspeakVoice::setVolume(int volume) {
    m_volume = std::clamp(volume, 0, 100);
}

// Every event the program handles is always raised.
void EspeakVoice::setEventInterests(int) {}

// The file stream's format is fixed when it is opened.
void EspeakVoice::setAllowAudioOutputFormatChangesOnNextSet(bool) {}

void EspeakVoice::setAudioOutputStream(SpeechFileStream* stream) {
    auto* file = dynamic_cast<WavFileStream*>(stream);
    if (!file)
        throw AppError(QStringLiteral("The speech engine cannot write to this stream"));
    file->cancel(m_generation); // the stream takes this generation's speech from now on
    m_fileStream = file;
}

void EspeakVoice::setAudioOutputToDevice() {
    m_fileStream = nullptr;
}

bool EspeakVoice::isIdle() const {
    if (m_pending > 0)
        return false;
    if (m_fileStream)
        return m_fileStream->isIdle();
    return m_buffer->isEmpty() && m_player->isDrained();
}

bool EspeakVoice::WaitUntilDone(int milliseconds) {
    QElapsedTimer clock;
    clock.start();
    while (!isIdle()) {
        if (milliseconds >= 0 && clock.elapsed() >= milliseconds)
            return false;
        QThread::msleep(5);
    }
    return true;
}
