#pragma once

#include "neural_worker.h"
#include "speech_playback.h"
#include "speech_voice.h"

#include <QHash>
#include <QThread>
#include <atomic>
#include <memory>
#include <mutex>

struct SpeechPiece;
class WavFileStream;

// The speech voice over the natural voices installed under neuralVoicesFolder(), spoken by
// their helper process on a thread of this voice's own. A text goes to the helper piece by
// piece (speechPieces), Chinese after the program's number reading; the sentence and word
// marks are placed in each piece's audio and count in the text given to Speak. A voice that
// cannot be used ends its speech with SpeakFailed, and the next WaitUntilDone raises it.
class NeuralVoice : public SpeechVoice {
    Q_OBJECT
public:
    explicit NeuralVoice(QString workerProgram = NeuralWorker::defaultProgram());
    ~NeuralVoice() override;

    void Speak(const QString& text, int flags) override;
    void Pause() override;
    void Resume() override;
    void Skip(const QString& type, int count) override;
    void ReleaseVoice() override;
    QList<VoiceToken> GetVoices(const QString& required, const QString& optional) override;
    // AppError when the voice is not installed; the folder is opened when first spoken.
    void setVoice(const VoiceToken& voice) override;
    int Rate() const override { return m_rate; }
    void setRate(int rate) override;
    int Volume() const override { return m_volume; }
    void setVolume(int volume) override;
    void setEventInterests(int interests) override;
    void setAllowAudioOutputFormatChangesOnNextSet(bool allow) override;
    void setAudioOutputStream(SpeechFileStream* stream) override;
    void setAudioOutputToDevice() override;
    // AppError, once, when a voice failed since the last Speak.
    bool WaitUntilDone(int milliseconds) override;

private:
    struct Utterance;
    // On the synthesis thread.
    void speak(const Utterance& utterance, const QString& text);
    bool speakPiece(const Utterance& utterance, const QString& text, const SpeechPiece& piece,
                    int voiceRate);
    void fail(const QString& message);

    void cancelAll();
    bool isIdle() const;

    VoiceToken m_voice; // none: the first installed
    int m_rate = 0;
    int m_volume = 100;
    int m_streams = 0;
    WavFileStream* m_fileStream = nullptr;
    SpeechPlayback m_playback;

    std::atomic<int> m_pending{0};
    std::atomic<int> m_failures{0}; // speech queued before a failure is dropped
    mutable std::mutex m_failureMutex;
    QString m_failure; // not yet raised by WaitUntilDone

    QThread m_synthesisThread;
    QObject* m_synthesis = nullptr;         // on the synthesis thread: jobs are posted to it
    std::unique_ptr<NeuralWorker> m_worker; // used on the synthesis thread only
    QHash<QString, int> m_sampleRates;      // by folder; on the synthesis thread only
};
