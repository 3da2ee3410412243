#include "listening.h"

#include "speech/reading_highlight.h"
#include "speech/voice_choice.h"

#include <QTextEdit>

Listening::Listening(QTextEdit* editor, ListeningPlace::Clock clock)
    : QObject(editor), m_editor(editor), m_place(std::move(clock)) {
    connect(editor->document(), &QTextDocument::contentsChange, this, [this] { end(); });
}

void Listening::begin(int rangeStart, const QString& text, int from,
                      SharedPronunciation dictionary) {
    end();
    // Said once for the whole range: the steps cut what they need from it.
    m_pronounced = dictionary->spoken(text);
    m_rangeStart = rangeStart;
    // A selection's place is fingerprinted with the document's text after it, as it is found.
    const int rangeEnd = rangeStart + int(text.size());
    const int documentEnd = m_editor->document()->characterCount() - 1;
    QTextCursor following(m_editor->document());
    following.setPosition(std::min(rangeEnd, documentEnd));
    following.setPosition(std::min(rangeEnd + FingerprintLength, documentEnd),
                          QTextCursor::KeepAnchor);
    m_following = following.selectedText();
    m_place.begin(text, from);
    m_sentences = m_place.sentences();
    for (TextSpan& sentence : m_sentences)
        sentence = {sentence.start + rangeStart, sentence.end + rangeStart};
    keepCaret();
    moveTo(rangeStart + from);
}

void Listening::moveTo(int editorPosition) {
    m_from = std::clamp(editorPosition - m_rangeStart, 0, int(m_place.text().size()));
    m_place.moveTo(m_from);
    const SpokenText pronounced = m_pronounced.from(m_from);
    const QString voiceText = withCrLfBreaks(pronounced.text);
    m_spoken = pronounced.then(voiceText, editorPositions(pronounced.text, voiceText));
    m_speakAtResume = false;
}

bool Listening::contains(int editorPosition) const {
    return isReading() && editorPosition >= m_rangeStart &&
           editorPosition <= m_rangeStart + m_place.text().size();
}

std::optional<int> Listening::toEditorRange(std::optional<int> position) const {
    if (!position)
        return std::nullopt;
    return m_rangeStart + *position;
}

void Listening::heard(int spokenPosition) {
    if (!isReading())
        return;
    m_place.heard(m_from + m_spoken.writtenStart(spokenPosition));
}

void Listening::keepCaret() {
    const QTextCursor caret = m_editor->textCursor();
    m_caretPosition = caret.position();
    m_caretAnchor = caret.anchor();
}

void Listening::stop() {
    if (!isReading())
        return;
    const QTextCursor caret = m_editor->textCursor();
    if (caret.position() == m_caretPosition && caret.anchor() == m_caretAnchor &&
        m_place.sentenceStart() >= 0) {
        QTextCursor moved(m_editor->document());
        moved.setPosition(heardEditorPosition());
        m_editor->setTextCursor(moved);
    }
    end();
}

void Listening::finished() {
    if (!isReading())
        return;
    // Only a reading that reached the document's end starts it at the top again.
    if (!m_place.step(ListeningStep::NextSentence) && m_following.isEmpty() &&
        !m_document.isEmpty() && m_kept) {
        m_kept->forget(m_document);
        m_keptChanged = true;
        m_place.end();
        return;
    }
    end();
}

void Listening::end() {
    if (!isReading())
        return;
    keepPlace();
    m_place.end();
    m_speakAtResume = false;
}

// The place is kept with the text of the reading's range, which still holds the text read
// even when an edit of the editor ended the reading.
void Listening::keepPlace() {
    if (m_document.isEmpty() || !m_kept || m_place.sentenceStart() < 0)
        return;
    const int inRange = m_place.sentenceStart();
    const QString from = m_place.text().mid(inRange, FingerprintLength) + m_following;
    m_kept->remember({m_document, m_rangeStart + inRange, textFingerprint(from, 0)});
    m_keptChanged = true;
}

void Listening::loadPositions(const QString& path) {
    if (!m_kept)
        m_kept = ReadingPositions::load(path);
}

std::optional<int> Listening::documentOpened(const QString& address, const QString& text) {
    end();
    m_document = address;
    if (!m_kept)
        return std::nullopt;
    const std::optional<ReadingPosition> kept = m_kept->find(address);
    return kept ? findReadingPosition(text, *kept) : std::nullopt;
}

void Listening::savePositions(const QString& path) {
    end();
    if (m_kept && m_keptChanged)
        m_kept->save(path);
    m_keptChanged = false;
}
