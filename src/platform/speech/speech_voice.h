#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <cstddef>

// One installed voice: the engine's identifier, its own name for the voice (the order of the
// voice list and the command line's --voice go by it) and the language tag it speaks ("en-gb").
struct VoiceToken {
    QString id;
    QString description;
    QString language = {};
    bool operator==(const VoiceToken&) const = default;
};

// A file that speech is written to instead of being played.
class SpeechFileStream {
public:
    static constexpr int Format16kHz16BitMono = 18;
    // Compressed files, mono at the engine's own sample rate (Opus: the nearest rate it takes).
    static constexpr int FormatMp3 = 1001;
    static constexpr int FormatOggVorbis = 1002;
    static constexpr int FormatOpus = 1003;
    static constexpr int FormatFlac = 1004;
    static constexpr int CreateForWrite = 3;

    virtual ~SpeechFileStream() = default;
    virtual void setFormatType(int type) = 0;
    // Creates or replaces the file; AppError when it cannot be created.
    virtual void Open(const QString& path, int mode, bool raiseEvents) = 0;
    // Completes the file once everything spoken into it is written.
    virtual void Close() = 0;
    // The open file's sample rate.
    virtual int sampleRate() const = 0;
    // Speech made elsewhere, at the file's sample rate, into the open file; false when the
    // stream takes no more.
    virtual bool writeSamples(const qint16* samples, size_t count) = 0;
};

// What a Boundary event reports: a sentence or a word begins to be heard, or everything given
// to one Speak has been heard.
enum class SpeechBoundary { Sentence, Word, End };

// The speech voice the program talks through. Members raise AppError when the engine fails.
class SpeechVoice : public QObject {
    Q_OBJECT
public:
    static constexpr int SpeakAsync = 1;
    // The pause that ends a sentence also after the text's last one, where more speech follows
    // it in the same file: the engine leaves it out at the end of a text.
    static constexpr int SpeakEndPause = 2;
    static constexpr int AllEvents = 33790;

    using QObject::QObject;

    // Queues the text behind what is being said and returns at once.
    virtual void Speak(const QString& text, int flags) = 0;
    virtual void Pause() = 0;
    virtual void Resume() = 0;
    // Cuts off what is being said and everything queued behind it.
    virtual void Skip(const QString& type, int count) = 0;
    // Ends all speech at once; the next call starts from a fresh engine state.
    virtual void ReleaseVoice() = 0;

    // True until the engine, loading on a thread of its own, has listed its voices: GetVoices
    // would wait for it. VoicesLoaded follows, also when loading failed (GetVoices then raises).
    virtual bool voicesLoading() const { return false; }
    virtual QList<VoiceToken> GetVoices(const QString& required, const QString& optional) = 0;
    virtual void setVoice(const VoiceToken& voice) = 0;

    // -10 (slowest) to 10 (fastest), 0 the engine's normal speed; values are clamped.
    virtual int Rate() const = 0;
    virtual void setRate(int rate) = 0;
    // 0 (silent) to 100 (full); values are clamped.
    virtual int Volume() const = 0;
    virtual void setVolume(int volume) = 0;

    virtual void setEventInterests(int interests) = 0;
    virtual void setAllowAudioOutputFormatChangesOnNextSet(bool allow) = 0;
    // Speech goes to the stream until the output is set back to the sound device.
    virtual void setAudioOutputStream(SpeechFileStream* stream) = 0;
    virtual void setAudioOutputToDevice() = 0;
    // Blocks until everything queued has been heard or written; -1: no time limit.
    virtual bool WaitUntilDone(int milliseconds) = 0;

Q_SIGNALS:
    void VoicesLoaded();
    // While speech is heard, about 20 times a second; level 0 (silence) to about 10.
    void AudioLevel(int streamNumber, qint64 streamPosition, int level);
    // When the sound of a sentence or word is heard. The position and length count UTF-16 units
    // of the text given to Speak; a sentence's length is 0, as the engine does not know where
    // it ends. Nothing is reported for speech written to a file or cut off.
    void Boundary(int streamNumber, qint64 streamPosition, SpeechBoundary boundary,
                  int characterPosition, int length);
    // Speech that was queued could not be made (a natural voice that cannot be used): what was
    // queued is dropped and no End follows. The message names the voice.
    void SpeakFailed(const QString& message);
};
