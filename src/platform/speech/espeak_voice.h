#pragma once

#include "pcm_buffer.h"
#include "speech_playback.h"
#include "speech_voice.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <thread>

class WavFileStream;
struct RateSetting;

// The espeak-ng library on a thread of its own. The library is not re-entrant: every call into
// it is a job run on that thread, in the order the jobs were posted. Loading the library's data
// is the first job, so that a program can start the engine and go on with its own start-up.
class EspeakEngine {
public:
    EspeakEngine();
    ~EspeakEngine();
    EspeakEngine(const EspeakEngine&) = delete;
    EspeakEngine& operator=(const EspeakEngine&) = delete;

    void post(std::function<void()> job);
    // The installed voices, Mandarin first, then English, then the rest by name; waits until
    // the data is loaded. AppError when the engine or its data cannot be loaded.
    const QList<VoiceToken>& voices() const;
    // In a job: whether the data loaded, so that the library may be called.
    bool loaded() const { return m_loaded; }

private:
    void run();

    std::shared_future<QList<VoiceToken>> m_voices;
    bool m_loaded = false; // on the engine's thread only
    std::mutex m_mutex;
    std::condition_variable m_jobsChanged;
    std::deque<std::function<void()>> m_jobs;
    bool m_quit = false;
    std::thread m_thread;
};

// The speech voice over the espeak-ng engine. Synthesis streams into a bounded buffer that the
// player drains on a thread of its own; the player and the sound device start with the first
// speech to the device, or the first pause.
class EspeakVoice : public SpeechVoice {
    Q_OBJECT
public:
    static constexpr int SampleRate = 22050;

    // Returns at once; the engine goes on loading. Until a voice is chosen, speech is in the
    // engine's first voice.
    explicit EspeakVoice(std::unique_ptr<EspeakEngine> engine = std::make_unique<EspeakEngine>());
    ~EspeakVoice() override;

    void Speak(const QString& text, int flags) override;
    void Pause() override;
    void Resume() override;
    void Skip(const QString& type, int count) override;
    void ReleaseVoice() override;
    bool voicesLoading() const override { return m_loading; }
    // Waits for the engine; AppError when it or its data cannot be loaded.
    QList<VoiceToken> GetVoices(const QString& required, const QString& optional) override;
    void setVoice(const VoiceToken& voice) override;
    int Rate() const override { return m_rate; }
    void setRate(int rate) override;
    int Volume() const override { return m_volume; }
    void setVolume(int volume) override;
    void setEventInterests(int interests) override;
    void setAllowAudioOutputFormatChangesOnNextSet(bool allow) override;
    void setAudioOutputStream(SpeechFileStream* stream) override;
    void setAudioOutputToDevice() override;
    bool WaitUntilDone(int milliseconds) override;

Q_SIGNALS:
    // Emitted on the player's thread when a Speak's first audio reaches the sound device.
    void StartStream(int streamNumber);

public:
    // Called from the synthesis callback on the worker thread.
    struct Utterance;
    bool deliver(const Utterance& utterance, const qint16* samples, int count,
                 std::vector<SpeechMark> marks);

private:
    void speakChunks(Utterance& utterance, const QString& voiceId, const RateSetting& rate,
                     const QString& text, int flags); // on the engine's thread
    void cancelAll();
    bool isIdle() const;

    bool m_loading = true; // until VoicesLoaded
    VoiceToken m_voice;    // none: the engine's first
    int m_rate = 0;
    int m_volume = 100;
    int m_streams = 0;
    WavFileStream* m_fileStream = nullptr;

    SpeechPlayback m_playback;

    std::atomic<int> m_pending{0};
    std::unique_ptr<EspeakEngine> m_engine; // last: its jobs use the members above
};
