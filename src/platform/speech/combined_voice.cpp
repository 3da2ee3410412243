#include "combined_voice.h"

#include "neural_voice_folder.h"

#include <algorithm>

namespace {

bool isMandarin(const VoiceToken& voice) {
    return voice.language.startsWith(QStringLiteral("cmn"));
}

} // namespace

CombinedVoice::CombinedVoice(std::unique_ptr<SpeechVoice> engine, NaturalVoices naturalVoices,
                             NaturalBackEnd makeNatural)
    : m_engine(std::move(engine)), m_naturalVoices(std::move(naturalVoices)),
      m_makeNatural(std::move(makeNatural)), m_active(m_engine.get()) {
    forwardSignals(*m_engine);
    connect(m_engine.get(), &SpeechVoice::VoicesLoaded, this, &SpeechVoice::VoicesLoaded);
}

CombinedVoice::~CombinedVoice() = default;

bool CombinedVoice::isNatural(const QString& voiceId) {
    return !neuralVoiceFolder(voiceId).isEmpty();
}

void CombinedVoice::Speak(const QString& text, int flags) {
    m_active->Speak(text, flags);
}

void CombinedVoice::Pause() {
    m_active->Pause();
}

void CombinedVoice::Resume() {
    m_active->Resume();
}

void CombinedVoice::Skip(const QString& type, int count) {
    m_active->Skip(type, count);
}

void CombinedVoice::ReleaseVoice() {
    m_active->ReleaseVoice();
}

bool CombinedVoice::voicesLoading() const {
    return m_engine->voicesLoading();
}

QList<VoiceToken> CombinedVoice::GetVoices(const QString& required, const QString& optional) {
    const QList<VoiceToken> engineVoices = m_engine->GetVoices(required, optional);
    const auto afterMandarin =
        std::find_if_not(engineVoices.begin(), engineVoices.end(), isMandarin);
    QList<VoiceToken> voices(engineVoices.begin(), afterMandarin);
    voices << m_naturalVoices();
    voices.append(QList<VoiceToken>(afterMandarin, engineVoices.end()));
    return voices;
}

void CombinedVoice::setVoice(const VoiceToken& voice) {
    SpeechVoice& chosen = isNatural(voice.id) ? natural() : *m_engine;
    if (&chosen != m_active)
        m_active->ReleaseVoice(); // what the other back end was saying ends with the change
    m_active = &chosen;
    chosen.setVoice(voice);
}

int CombinedVoice::Rate() const {
    return m_engine->Rate();
}

void CombinedVoice::setRate(int rate) {
    toBoth([rate](SpeechVoice& v) { v.setRate(rate); });
}

int CombinedVoice::Volume() const {
    return m_engine->Volume();
}

void CombinedVoice::setVolume(int volume) {
    toBoth([volume](SpeechVoice& v) { v.setVolume(volume); });
}

void CombinedVoice::setEventInterests(int interests) {
    m_eventInterests = interests;
    toBoth([interests](SpeechVoice& v) { v.setEventInterests(interests); });
}

void CombinedVoice::setAllowAudioOutputFormatChangesOnNextSet(bool allow) {
    m_allowFormatChanges = allow;
    toBoth([allow](SpeechVoice& v) { v.setAllowAudioOutputFormatChangesOnNextSet(allow); });
}

void CombinedVoice::setAudioOutputStream(SpeechFileStream* stream) {
    m_active->setAudioOutputStream(stream);
}

void CombinedVoice::setAudioOutputToDevice() {
    toBoth([](SpeechVoice& v) { v.setAudioOutputToDevice(); });
}

bool CombinedVoice::WaitUntilDone(int milliseconds) {
    return m_active->WaitUntilDone(milliseconds);
}

SpeechVoice& CombinedVoice::natural() {
    if (!m_natural) {
        m_natural = m_makeNatural();
        m_natural->setRate(m_engine->Rate());
        m_natural->setVolume(m_engine->Volume());
        m_natural->setEventInterests(m_eventInterests);
        m_natural->setAllowAudioOutputFormatChangesOnNextSet(m_allowFormatChanges);
        forwardSignals(*m_natural);
    }
    return *m_natural;
}

void CombinedVoice::forwardSignals(SpeechVoice& backEnd) {
    connect(&backEnd, &SpeechVoice::AudioLevel, this, &SpeechVoice::AudioLevel);
    connect(&backEnd, &SpeechVoice::Boundary, this, &SpeechVoice::Boundary);
    connect(&backEnd, &SpeechVoice::SpeakFailed, this, &SpeechVoice::SpeakFailed);
}

void CombinedVoice::toBoth(const std::function<void(SpeechVoice&)>& apply) {
    apply(*m_engine);
    if (m_natural)
        apply(*m_natural);
}
