#pragma once

#include "speech_voice.h"

#include <functional>
#include <memory>

// The engine's voices and the natural voices as one voice list. Every call goes to the back end
// of the chosen voice. The natural back end is made when a natural voice is first chosen, so
// that a user of the engine's voices never starts its helper; rate, volume and the event
// interests are kept for it until then, so that a change of voice keeps them.
class CombinedVoice : public SpeechVoice {
    Q_OBJECT
public:
    using NaturalVoices = std::function<QList<VoiceToken>()>;
    using NaturalBackEnd = std::function<std::unique_ptr<SpeechVoice>()>;

    CombinedVoice(std::unique_ptr<SpeechVoice> engine, NaturalVoices naturalVoices,
                  NaturalBackEnd makeNatural);
    ~CombinedVoice() override;

    static bool isNatural(const QString& voiceId);

    void Speak(const QString& text, int flags) override;
    void Pause() override;
    void Resume() override;
    void Skip(const QString& type, int count) override;
    void ReleaseVoice() override;

    bool voicesLoading() const override;
    // The engine's Mandarin voices first, then the natural voices, then the engine's others.
    QList<VoiceToken> GetVoices(const QString& required, const QString& optional) override;
    void setVoice(const VoiceToken& voice) override;

    int Rate() const override;
    void setRate(int rate) override;
    int Volume() const override;
    void setVolume(int volume) override;

    void setEventInterests(int interests) override;
    void setAllowAudioOutputFormatChangesOnNextSet(bool allow) override;
    void setAudioOutputStream(SpeechFileStream* stream) override;
    void setAudioOutputToDevice() override;
    bool WaitUntilDone(int milliseconds) override;

private:
    SpeechVoice& natural();
    void forwardSignals(SpeechVoice& backEnd);
    // Applies to both back ends, the natural one when it exists.
    void toBoth(const std::function<void(SpeechVoice&)>& apply);

    std::unique_ptr<SpeechVoice> m_engine;
    std::unique_ptr<SpeechVoice> m_natural;
    NaturalVoices m_naturalVoices;
    NaturalBackEnd m_makeNatural;
    SpeechVoice* m_active;
    int m_eventInterests = 0;
    bool m_allowFormatChanges = false;
};
