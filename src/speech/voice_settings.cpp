// The voice list, rate and volume of the property bar.
#include "app/tfmain.h"
#include "platform/speech/speech_voice.h"
#include "speech/voice_choice.h"

#include <QComboBox>
#include <QLabel>
#include <QSlider>

void TFmain::setVoiceEvents() {
    SpVoice1->setEventInterests(SpeechVoice::AllEvents);
}

void TFmain::fillVoiceList() {
    m_voiceTokens = SpVoice1->GetVoices(QString(), QString());
    QStringList texts;
    for (const VoiceToken& token : m_voiceTokens) {
        cbVoices->addItem(token.description);
        texts << token.description;
    }
    const int selected = voiceIndexToSelect(m_settings.engine, texts);
    if (selected < 0)
        return;
    cbVoices->setCurrentIndex(selected);
    cbVoicesChange();
}

void TFmain::applyRateAndVolume() {
    SpVoice1->setRate(m_settings.rate);
    TBRate->setValue(SpVoice1->Rate());
    lblRate->setText(QString::number(TBRate->value()));
    SpVoice1->setVolume(m_settings.volume);
    TBVolume->setValue(SpVoice1->Volume());
    lblVolume->setText(QString::number(TBVolume->value()));
}

std::optional<VoiceToken> TFmain::selectedVoice() const {
    const int index = cbVoices->currentIndex();
    if (index < 0 || index >= m_voiceTokens.size())
        return std::nullopt;
    return m_voiceTokens[index];
}

void TFmain::cbVoicesChange() {
    if (const auto voice = selectedVoice())
        SpVoice1->setVoice(*voice);
}

void TFmain::TBRateChange() {
    SpVoice1->setRate(TBRate->value());
    lblRate->setText(QString::number(TBRate->value()));
}

void TFmain::TBVolumeChange() {
    SpVoice1->setVolume(TBVolume->value());
    lblVolume->setText(QString::number(TBVolume->value()));
}

void TFmain::NDefaultRateClick() {
    SpVoice1->setRate(0);
    TBRate->setValue(SpVoice1->Rate());
    lblRate->setText(QString::number(TBRate->value()));
}

void TFmain::NDefaultvolumeClick() {
    SpVoice1->setVolume(80);
    TBVolume->setValue(SpVoice1->Volume());
    lblVolume->setText(QString::number(TBVolume->value()));
}
