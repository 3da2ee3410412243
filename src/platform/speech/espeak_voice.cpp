#include "espeak_voice.h"

#include "app/app_error.h"
#include "engine_input.h"
#include "espeak_library.h"
#include "pcm_buffer.h"
#include "speech_rate.h"
#include "wav_file_stream.h"

#include <algorithm>
#include <future>

struct EspeakVoice::Utterance {
    EspeakVoice* voice;
    int generation;
    int stream;
    int volume;
    WavFileStream* file; // null: to the sound device
    // Filled on the worker thread while a chunk of the text is synthesised: what the engine
    // was given for it, and where the chunk starts in the text.
    const EngineInput* input = nullptr;
    int chunkStart = 0;
    qint64 synthesised = 0;
    SpeechMark lastWord = {};
};

namespace {

// The sentences and words that begin in a block of samples. The engine counts characters
// (code points) of its input from 1; Mandarin words come once for each of their syllables.
std::vector<SpeechMark> marksOf(EspeakVoice::Utterance& utterance, const espeak_EVENT* event,
                                int count) {
    std::vector<SpeechMark> marks;
    for (; event->type != espeakEVENT_LIST_TERMINATED; ++event) {
        const bool word = event->type == espeakEVENT_WORD;
        if (!word && event->type != espeakEVENT_SENTENCE)
            continue;
        if (word && event->length <= 0)
            continue;
        const EngineInput& input = *utterance.input;
        const int first = event->text_position - 1;
        SpeechMark mark;
        mark.kind = int(word ? SpeechBoundary::Word : SpeechBoundary::Sentence);
        mark.position = utterance.chunkStart + input.start(first);
        mark.length =
            word ? utterance.chunkStart + input.end(first + event->length) - mark.position : 0;
        mark.generation = utterance.generation;
        mark.sample = size_t(std::clamp<qint64>(event->sample - utterance.synthesised, 0, count));
        if (word) {
            if (mark.position == utterance.lastWord.position &&
                mark.length == utterance.lastWord.length)
                continue;
            utterance.lastWord = mark;
        }
        marks.push_back(mark);
    }
    return marks;
}

int synthCallback(short* samples, int count, espeak_EVENT* events) {
    auto* utterance = static_cast<EspeakVoice::Utterance*>(events->user_data);
    if (!samples || count == 0)
        return 0;
    std::vector<SpeechMark> marks = marksOf(*utterance, events, count);
    const bool goOn = utterance->voice->deliver(*utterance, samples, count, std::move(marks));
    utterance->synthesised += count;
    return goOn ? 0 : 1; // 1 aborts synthesis
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
    for (const espeak_VOICE** v = espeakLibrary().listVoices(nullptr); v && *v; ++v) {
        const QString language = QString::fromUtf8((*v)->languages + 1);
        QString name = QString::fromUtf8((*v)->name).replace(u'_', u' ');
        entries.push_back(
            {voiceGroup(language), {QString::fromUtf8((*v)->identifier), name, language}});
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

EspeakEngine::EspeakEngine() {
    auto loaded = std::make_shared<std::promise<QList<VoiceToken>>>();
    m_voices = loaded->get_future().share();
    m_thread = std::thread(&EspeakEngine::run, this);
    post([this, loaded] {
        const EspeakLibrary* engine = nullptr;
        try {
            engine = &espeakLibrary();
        } catch (const AppError&) {
            loaded->set_exception(std::current_exception());
            return;
        }
        // Through the library's own calls: its short form ends the process when data is missing.
        engine->initializePath(nullptr);
        espeak_ng_ERROR_CONTEXT context = nullptr;
        const espeak_ng_STATUS status = engine->initialize(&context);
        engine->clearErrorContext(&context);
        if (status != ENS_OK ||
            engine->initializeOutput(ENOUTPUT_MODE_SYNCHRONOUS, 20, nullptr) != ENS_OK ||
            engine->sampleRate() != EspeakVoice::SampleRate) {
            loaded->set_exception(
                std::make_exception_ptr(AppError(QStringLiteral("无法载入语音引擎的数据"))));
            return;
        }
        m_loaded = true;
        engine->setSynthCallback(synthCallback);
        loaded->set_value(listVoices());
    });
}

EspeakEngine::~EspeakEngine() {
    post([this] {
        if (m_loaded)
            espeakLibrary().terminate();
        m_quit = true;
    });
    m_thread.join();
}

void EspeakEngine::post(std::function<void()> job) {
    std::lock_guard lock(m_mutex);
    m_jobs.push_back(std::move(job));
    m_jobsChanged.notify_all();
}

const QList<VoiceToken>& EspeakEngine::voices() const {
    return m_voices.get();
}

void EspeakEngine::run() {
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

EspeakVoice::EspeakVoice(std::unique_ptr<EspeakEngine> engine)
    : m_playback(SampleRate / 2), m_engine(std::move(engine)) {
    connect(&m_playback, &SpeechPlayback::level, this, &SpeechVoice::AudioLevel);
    connect(&m_playback, &SpeechPlayback::boundary, this, &SpeechVoice::Boundary);
    connect(&m_playback, &SpeechPlayback::streamStarted, this, &EspeakVoice::StartStream,
            Qt::DirectConnection);
    // Jobs run in order: this one comes once loading has ended. The destructor joins the
    // engine's thread, so the voice is alive while it runs.
    m_engine->post([this] {
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_loading = false;
                Q_EMIT VoicesLoaded();
            },
            Qt::QueuedConnection);
    });
}

EspeakVoice::~EspeakVoice() {
    cancelAll();
    m_engine.reset();
}

void EspeakVoice::Speak(const QString& text, int flags) {
    const Utterance utterance{this, m_playback.generation(), ++m_streams, m_volume, m_fileStream};
    const QString voiceId = m_voice.id;
    const RateSetting rate = espeakRate(m_rate);
    if (!m_fileStream)
        m_playback.open();
    ++m_pending;
    m_engine->post([=, this] {
        if (utterance.generation == m_playback.generation()) {
            Utterance running = utterance;
            if (m_engine->loaded()) {
                const QList<VoiceToken>& voices = m_engine->voices(); // loaded: no wait
                const QString id =
                    voiceId.isEmpty() && !voices.isEmpty() ? voices.first().id : voiceId;
                speakChunks(running, id, rate, text, flags);
            }
            if (!running.file) {
                SpeechMark end;
                end.kind = int(SpeechBoundary::End);
                end.position = int(text.size());
                end.generation = running.generation;
                m_playback.buffer().write(nullptr, 0, running.stream, running.generation, {end});
            }
        }
        --m_pending;
    });
}

// A Chinese text is prepared for the engine a few sentences at a time, so that speech starts at
// once however long the text is.
void EspeakVoice::speakChunks(Utterance& utterance, const QString& voiceId, const RateSetting& rate,
                              const QString& text, int flags) {
    const std::vector<SpeechChunk> chunks = speechChunks(voiceId, text);
    for (const SpeechChunk& chunk : chunks) {
        if (utterance.generation != m_playback.generation())
            return;
        const EngineInput input =
            engineInput(voiceId, text.sliced(chunk.start, chunk.end - chunk.start));
        // By name: a voice loaded from its file speaks Mandarin at about half the speed.
        espeakLibrary().setVoiceByName(input.voice.toUtf8().constData());
        espeakLibrary().setParameter(espeakRATE, rate.wordsPerMinute, 0);
        espeakLibrary().setParameter(espeakWORDGAP, rate.wordGap, 0);
        utterance.input = &input;
        utterance.chunkStart = chunk.start;
        utterance.synthesised = 0; // the engine counts samples from each synthesis' start
        const bool last = &chunk == &chunks.back();
        const bool endPause = last ? (flags & SpeakEndPause) != 0 : chunk.sentenceEnd;
        const unsigned int synthFlags =
            espeakCHARS_UTF8 | (input.markup ? espeakSSML : 0) | (endPause ? espeakENDPAUSE : 0);
        espeakLibrary().synth(input.text.constData(), size_t(input.text.size()) + 1, 0,
                              POS_CHARACTER, 0, synthFlags, nullptr, &utterance);
    }
}

bool EspeakVoice::deliver(const Utterance& utterance, const qint16* samples, int count,
                          std::vector<SpeechMark> marks) {
    if (utterance.generation != m_playback.generation())
        return false;
    std::vector<qint16> scaled(samples, samples + count);
    if (utterance.volume < 100) {
        for (qint16& sample : scaled)
            sample = qint16(sample * utterance.volume / 100);
    }
    if (utterance.file)
        return utterance.file->write(scaled.data(), scaled.size(), utterance.generation);
    return m_playback.buffer().write(scaled.data(), scaled.size(), utterance.stream,
                                     utterance.generation, std::move(marks));
}

void EspeakVoice::Pause() {
    m_playback.pause();
}

void EspeakVoice::Resume() {
    m_playback.resume();
}

void EspeakVoice::cancelAll() {
    const int generation = m_playback.cancel();
    if (m_fileStream)
        m_fileStream->cancel(generation);
}

void EspeakVoice::Skip(const QString&, int) {
    cancelAll();
}

void EspeakVoice::ReleaseVoice() {
    cancelAll();
    m_fileStream = nullptr; // a fresh engine speaks to the sound device
}

QList<VoiceToken> EspeakVoice::GetVoices(const QString&, const QString&) {
    return m_engine->voices();
}

void EspeakVoice::setVoice(const VoiceToken& voice) {
    if (!m_engine->voices().contains(voice))
        throw AppError(QStringLiteral("没有安装语音 %1").arg(voice.description));
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
        throw AppError(QStringLiteral("语音引擎无法写入这个文件"));
    file->cancel(m_playback.generation()); // the stream takes this generation's speech from now on
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
    return m_playback.isIdle();
}

bool EspeakVoice::WaitUntilDone(int milliseconds) {
    return SpeechPlayback::waitUntil([this] { return isIdle(); }, milliseconds);
}
