// Follow-along highlight: the sentence and word being heard are marked in the editor.
#include "app/tfmain.h"
#include "speech/listening.h"
#include "speech/reading_highlight.h"

#include <QAction>
#include <QTextEdit>

void TFmain::connectHighlightHandlers() {
    m_readingHighlight = new ReadingHighlight(RichEdit1);
    NHighlight->setChecked(m_readingHighlight->isEnabled());
    connectItem(NHighlight, &TFmain::NHighlightClick);
    connect(SpVoice1, &SpeechVoice::Boundary, this, &TFmain::SpVoice1Boundary);
    connectListeningHandlers();
}

void TFmain::restoreReadingHighlight() {
    NHighlight->setChecked(m_settings.highlightReading);
    m_readingHighlight->setEnabled(m_settings.highlightReading);
}

void TFmain::NHighlightClick() {
    m_readingHighlight->setEnabled(NHighlight->isChecked());
}

void TFmain::clearReadingHighlight() {
    m_readingHighlight->clear();
}

void TFmain::SpVoice1Boundary(int, qint64, SpeechBoundary boundary, int characterPosition,
                              int length) {
    switch (boundary) {
    case SpeechBoundary::Sentence:
        m_listening->heard(characterPosition);
        m_readingHighlight->sentence(characterPosition);
        break;
    case SpeechBoundary::Word:
        m_listening->heard(characterPosition);
        m_readingHighlight->word(characterPosition, length);
        break;
    case SpeechBoundary::End:
        m_listening->finished();
        clearReadingHighlight();
        break;
    }
}
