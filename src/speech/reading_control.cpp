// Read aloud, pause and resume, stop, and the audio-level bar.
#include "app/progress_job.h"
#include "app/tfmain.h"
#include "platform/speech/speech_voice.h"
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
    const QString source = selection.isEmpty() ? RichEdit1->toPlainText() : selection;
    const QString text = withCrLfBreaks(source);
    m_paused = false;
    clearReadingHighlight();
    swallowErrors([&] {
        SpVoice1->ReleaseVoice();
        const auto voice = selectedVoice();
        if (!voice)
            return; // no voice installed: nothing to speak with
        SpVoice1->setVoice(*voice);
        SpVoice1->Speak(text, SpeechVoice::SpeakAsync);
        m_readingHighlight->begin(selection.isEmpty() ? 0 : cursor.selectionStart(), source, text);
    });
}

void TFmain::BtnPauseClick() {
    if (voiceIsExporting())
        return;
    if (m_paused) {
        if (swallowErrors([&] { SpVoice1->Resume(); }))
            m_paused = false;
    } else if (swallowErrors([&] { SpVoice1->Pause(); })) {
        m_paused = true;
    }
}

void TFmain::BtnStopClick() {
    if (voiceIsExporting())
        return;
    if (swallowErrors([&] { SpVoice1->ReleaseVoice(); }))
        m_paused = false;
    clearReadingHighlight();
}

void TFmain::SpVoice1AudioLevel(int, qint64, int level) {
    ProgressBar1->setValue(std::clamp(level, 0, ProgressBar1->maximum()));
}
