// The voice list, rate and volume of the property bar.
#include "app/progress_job.h"
#include "app/tfmain.h"
#include "platform/speech/speech_voice.h"
#include "speech/voice_choice.h"
#include "speech/voice_display_name.h"

#include <QComboBox>
#include <QLabel>
#include <QSlider>
#include <utility>

void TFmain::setVoiceEvents() {
    SpVoice1->setEventInterests(SpeechVoice::AllEvents);
}

// The engine may still be loading on its own thread: the window shows meanwhile, and the list
// is filled when the voices come, or first when a reading or key echo needs them.
void TFmain::fillVoiceList() {
    if (!SpVoice1->voicesLoading()) {
        listVoices();
        return;
    }
    m_voicesAwaited = true;
    connect(
        SpVoice1, &SpeechVoice::VoicesLoaded, this,
        [this] { guarded([&] { listAwaitedVoices(); }); }, Qt::SingleShotConnection);
}

// Waits for the engine if need be. After a failure the voices are still awaited, so that the
// failure is reported when they come even if a reading met it first and kept quiet.
void TFmain::listAwaitedVoices() {
    if (!std::exchange(m_voicesAwaited, false))
        return; // also while listing: choosing the stored voice asks for it
    try {
        listVoices();
    } catch (const std::exception&) {
        m_voicesAwaited = true;
        throw;
    }
}

void TFmain::listVoices() {
    m_voiceTokens = SpVoice1->GetVoices(QString(), QString());
    // Shown in Chinese, in the engine's order, so that a stored index keeps naming its voice.
    const QStringList texts = voiceDisplayNames(m_voiceTokens);
    cbVoices->addItems(texts);
    for (qsizetype i = 0; i < m_voiceTokens.size(); ++i)
        cbVoices->setItemData(int(i), voiceDescription(m_voiceTokens[i]), Qt::ToolTipRole);
    const int selected =
        voiceIndexToSelect(m_settings.engine, m_settings.engineId, m_voiceTokens, texts);
    if (selected < 0)
        return;
    cbVoices->setCurrentIndex(selected);
    cbVoicesChange();
}

void TFmain::relistVoices() {
    if (const auto chosen = selectedVoice()) {
        m_settings.engine = cbVoices->currentIndex();
        m_settings.engineId = chosen->id;
    }
    cbVoices->clear();
    listVoices();
}

void TFmain::applyRateAndVolume() {
    setRateFromVoice(m_settings.rate);
    setVolumeFromVoice(m_settings.volume);
}

// The voice decides what it accepts; the track bar and its label show what it kept.
void TFmain::setRateFromVoice(int rate) {
    SpVoice1->setRate(rate);
    TBRate->setValue(SpVoice1->Rate());
    lblRate->setText(QString::number(TBRate->value()));
}

void TFmain::setVolumeFromVoice(int volume) {
    SpVoice1->setVolume(volume);
    TBVolume->setValue(SpVoice1->Volume());
    lblVolume->setText(QString::number(TBVolume->value()));
}

std::optional<VoiceToken> TFmain::selectedVoice() {
    listAwaitedVoices();
    const int index = cbVoices->currentIndex();
    if (index < 0 || index >= m_voiceTokens.size())
        return std::nullopt;
    return m_voiceTokens[index];
}

// An export that speaks through the voice keeps what it was given.
void TFmain::cbVoicesChange() {
    if (longOperation().holdsVoice())
        return;
    if (const auto voice = selectedVoice())
        SpVoice1->setVoice(*voice);
}

void TFmain::TBRateChange() {
    if (!longOperation().holdsVoice())
        SpVoice1->setRate(TBRate->value());
    lblRate->setText(QString::number(TBRate->value()));
}

void TFmain::TBVolumeChange() {
    if (!longOperation().holdsVoice())
        SpVoice1->setVolume(TBVolume->value());
    lblVolume->setText(QString::number(TBVolume->value()));
}

void TFmain::NDefaultRateClick() {
    setRateFromVoice(0);
}

void TFmain::NDefaultvolumeClick() {
    setVolumeFromVoice(80);
}
