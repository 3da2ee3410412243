// Listening: reading from the caret, stepping by sentence and paragraph while listening, a
// double-click that continues from a word, and the place each document keeps.
#include "app/tfmain.h"
#include "documents/document_kind.h"
#include "platform/data_directory.h"
#include "speech/listening.h"
#include "speech/reading_highlight.h"
#include "speech/text_units.h"

#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QFileInfo>
#include <QTextEdit>
#include <QTimer>

namespace {

const QString PositionsFile = QStringLiteral("positions.json");

// A double-click on a word while reading: once the editor has selected the word, the reading
// goes on from it.
class WordDoubleClick : public QObject {
public:
    WordDoubleClick(QObject* parent, std::function<void()> clicked)
        : QObject(parent), m_clicked(std::move(clicked)) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonDblClick)
            QTimer::singleShot(0, this, m_clicked);
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_clicked;
};

} // namespace

void TFmain::connectListeningHandlers() {
    m_listening = new Listening(RichEdit1);
    for (QAction* item : {NReadFromCaret, NNReadFromCaret, NNNReadFromCaret})
        connectItem(item, &TFmain::NReadFromCaretClick);
    for (QAction* item : {NPreviousSentence, NNPreviousSentence, NNNPreviousSentence})
        connectItem(item, &TFmain::NPreviousSentenceClick);
    for (QAction* item : {NNextSentence, NNNextSentence, NNNNextSentence})
        connectItem(item, &TFmain::NNextSentenceClick);
    for (QAction* item : {NPreviousParagraph, NNPreviousParagraph, NNNPreviousParagraph})
        connectItem(item, &TFmain::NPreviousParagraphClick);
    for (QAction* item : {NNextParagraph, NNNextParagraph, NNNNextParagraph})
        connectItem(item, &TFmain::NNextParagraphClick);
    connectItem(NGlobalKeys, &TFmain::NGlobalKeysClick);
    connectPronunciationHandlers();
    connectVoiceManagerHandlers();
    RichEdit1->viewport()->installEventFilter(new WordDoubleClick(this, [this] {
        const int word = RichEdit1->textCursor().selectionStart();
        if (!m_listening->contains(word))
            return;
        m_listening->keepCaret();
        continueListeningAt(word);
    }));
}

void TFmain::NReadFromCaretClick() {
    if (voiceIsExporting())
        return;
    noteCommandStarted();
    const QString text = RichEdit1->toPlainText();
    const QList<TextSpan> sentences = sentenceSpans(text);
    const int sentence = spanAtCaret(sentences, RichEdit1->textCursor().position());
    readFrom(0, text, sentence < 0 ? 0 : sentences[sentence].start);
}

void TFmain::NPreviousSentenceClick() {
    stepListening(ListeningStep::PreviousSentence);
}
void TFmain::NNextSentenceClick() {
    stepListening(ListeningStep::NextSentence);
}
void TFmain::NPreviousParagraphClick() {
    stepListening(ListeningStep::PreviousParagraph);
}
void TFmain::NNextParagraphClick() {
    stepListening(ListeningStep::NextParagraph);
}

// Outside a reading a step does nothing; past the end it ends the reading.
void TFmain::stepListening(ListeningStep step) {
    if (voiceIsExporting() || !m_listening->isReading())
        return;
    noteCommandStarted();
    if (const std::optional<int> target = m_listening->step(step)) {
        continueListeningAt(*target);
        return;
    }
    m_listening->end();
    clearReadingHighlight();
    m_paused = false;
    try {
        SpVoice1->ReleaseVoice();
    } catch (const std::exception&) {
        // Like stop, the reading ends silently whatever the engine says.
    }
}

// A move during a pause keeps the pause exact and silent: nothing is spoken until it ends,
// and the highlight shows where the reading will go on.
void TFmain::continueListeningAt(int editorPosition) {
    m_listening->moveTo(editorPosition);
    if (m_paused) {
        m_listening->setSpeakAtResume(true);
        m_readingHighlight->begin(m_listening->spokenStart(), m_listening->spoken(),
                                  m_listening->sentences());
        m_readingHighlight->sentence(0);
        return;
    }
    try {
        speakListening();
    } catch (const std::exception&) {
        // As with read aloud: an engine failure leaves the reading where it was.
    }
}

void TFmain::resumeListening() {
    if (m_listening->speakAtResume()) {
        speakListening();
        m_listening->setSpeakAtResume(false);
    } else {
        SpVoice1->Resume();
    }
    m_listening->resume();
}

void TFmain::documentOpened(const QString& address) {
    const bool pageText =
        !QFileInfo(address).isFile() || documentKind(address) == DocumentKind::WebPage;
    m_awaitedPage = pageText ? address : QString();
    if (!pageText)
        restoreReadingPosition(address);
}

void TFmain::documentPageLoaded() {
    if (!m_awaitedPage.isEmpty())
        restoreReadingPosition(std::exchange(m_awaitedPage, QString()));
}

void TFmain::restoreReadingPosition(const QString& address) {
    m_listening->loadPositions(m_platform.dataDirectory->filePath(PositionsFile));
    const std::optional<int> position =
        m_listening->documentOpened(address, RichEdit1->toPlainText());
    if (!position)
        return;
    QTextCursor caret(RichEdit1->document());
    caret.setPosition(*position);
    RichEdit1->setTextCursor(caret);
    RichEdit1->ensureCursorVisible();
}

void TFmain::saveReadingPositions() {
    m_listening->savePositions(m_platform.dataDirectory->filePath(PositionsFile));
}
