// Read aloud, pause and resume, stop, and the audio-level bar.
#include "app/tfmain.h"
#include "platform/speech/speech_voice.h"
#include "speech/voice_choice.h"

#include <QProgressBar>
#include <QTextEdit>

namespace {

// The speech commands are best-effort: an engine failure leaves things as they are.
template <typename Action> bool swallowErrors(Action action) {
    try {
        action();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace

void TFmain::BtnAloudClick() {
    const QString selection = RichEdit1->textCursor().selectedText();
    const QString text = withCrLfBreaks(selection.isEmpty() ? RichEdit1->toPlainText() : selection);
    m_paused = false;
    swallowErrors([&] {
        SpVoice1->ReleaseVoice();
        const auto voice = selectedVoice();
        if (!voice)
            return; // no voice installed: nothing to speak with
        SpVoice1->setVoice(*voice);
        SpVoice1->Speak(text, SpeechVoice::SpeakAsync);
    });
}

void TFmain::BtnPauseClick() {
    if (m_paused) {
        if (swallowErrors([&] { SpVoice1->Resume(); }))
            m_paused = false;
    } else if (swallowErrors([&] { SpVoice1->Pause(); })) {
        m_paused = true;
    }
}

void TFmain::BtnStopClick() {
    if (swallowErrors([&] { SpVoice1->ReleaseVoice(); }))
        m_paused = false;
}

void TFmain::SpVoice1AudioLevel(int, qint64, int level) {
    ProgressBar1->setValue(std::clamp(level, 0, ProgressBar1->maximum()));
}
