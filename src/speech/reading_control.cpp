// Read aloud, pause and resume, stop, and the audio-level bar.
#include "app/app_error.h"
#include "app/progress_job.h"
#include "app/tfmain.h"
#include "platform/speech/speech_voice.h"
#include "speech/listening.h"
#include "speech/reading_highlight.h"
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

// While an export speaks into its file the voice is not the reader's; the user is told so.
bool TFmain::voiceIsExporting() {
    return longOperation().holdsVoice() && longOperation().refuseWhileRunning();
}

void TFmain::BtnAloudClick() {
    if (voiceIsExporting())
        return;
    noteCommandStarted();
    const QTextCursor cursor = RichEdit1->textCursor();
    const QString selection = cursor.selectedText();
    if (selection.isEmpty())
        readFrom(0, RichEdit1->toPlainText(), 0);
    else
        readFrom(cursor.selectionStart(), selection, 0);
}

void TFmain::readFrom(int rangeStart, const QString& text, int from) {
    m_listening->begin(rangeStart, text, from, pronunciation());
    m_paused = false;
    clearReadingHighlight();
    swallowErrors([&] { speakListening(); });
}

void TFmain::speakListening() {
    SpVoice1->ReleaseVoice();
    const auto voice = selectedVoice();
    if (!voice)
        return; // no voice installed: nothing to speak with
    SpVoice1->setVoice(*voice);
    SpVoice1->Speak(m_listening->spoken().text, SpeechVoice::SpeakAsync);
    m_readingHighlight->begin(m_listening->spokenStart(), m_listening->spoken(),
                              m_listening->sentences());
}

void TFmain::speakAside(const QString& text) {
    m_listening->end();
    m_paused = false;
    clearReadingHighlight();
    swallowErrors([&] {
        SpVoice1->ReleaseVoice();
        if (const auto voice = selectedVoice()) {
            SpVoice1->setVoice(*voice);
            SpVoice1->Speak(withCrLfBreaks(text), SpeechVoice::SpeakAsync);
        }
    });
}

void TFmain::BtnPauseClick() {
    if (voiceIsExporting())
        return;
    if (m_paused) {
        if (swallowErrors([&] { resumeListening(); }))
            m_paused = false;
    } else if (swallowErrors([&] { SpVoice1->Pause(); })) {
        m_paused = true;
        m_listening->pause();
    }
}

void TFmain::BtnStopClick() {
    if (voiceIsExporting())
        return;
    m_listening->stop();
    if (swallowErrors([&] { SpVoice1->ReleaseVoice(); }))
        m_paused = false;
    clearReadingHighlight();
}

// The reading ends as a stop would end it, and the reason is shown.
void TFmain::SpVoice1SpeakFailed(const QString& message) {
    m_listening->stop();
    m_paused = false;
    clearReadingHighlight();
    ProgressBar1->setValue(0);
    guarded([&] { throw AppError(message); });
}

void TFmain::SpVoice1AudioLevel(int, qint64, int level) {
    ProgressBar1->setValue(std::clamp(level, 0, ProgressBar1->maximum()));
}
