#pragma once

#include "speech/listening_place.h"
#include "speech/pronunciation.h"
#include "speech/reading_positions.h"

#include <QObject>
#include <optional>
#include <vector>

class QTextEdit;

// A reading the listener moves in: the range of the editor it reads (the selection or the whole
// text), the sentence being heard, where the caret goes when it stops, and the place kept for
// each document. Knows the editor, not the window or the voice: the window speaks what it
// returns and reports what is heard.
class Listening : public QObject {
    Q_OBJECT
public:
    explicit Listening(QTextEdit* editor, ListeningPlace::Clock clock = {});

    // A reading of text (the editor's, from editor position rangeStart) heard from offset from
    // of it on, said as the dictionary says.
    void begin(int rangeStart, const QString& text, int from, SharedPronunciation dictionary);
    // The same reading, continued from an editor position within its range.
    void moveTo(int editorPosition);
    bool isReading() const { return m_place.isReading(); }
    bool contains(int editorPosition) const;
    // Where a step leads, as an editor position; nothing past the end of the range.
    std::optional<int> step(ListeningStep step) const { return toEditorRange(m_place.step(step)); }

    // What is being spoken: its first editor position, and the text given to the voice (breaks
    // as CR LF) with the offsets from that position it was made from.
    int spokenStart() const { return m_rangeStart + m_from; }
    const SpokenText& spoken() const { return m_spoken; }
    // The sentences of the whole range, in editor positions.
    const QList<TextSpan>& sentences() const { return m_sentences; }
    // A sentence or word at a position of the spoken text is heard.
    void heard(int spokenPosition);
    void pause() { m_place.pause(); }
    void resume() { m_place.resume(); }
    // A move made during a pause is spoken when the pause ends.
    bool speakAtResume() const { return m_speakAtResume; }
    void setSpeakAtResume(bool speak) { m_speakAtResume = speak; }

    // The caret, as the listener leaves it now, is the user's: a stop does not move it.
    void keepCaret();
    // Stopped by the listener: the caret goes to the start of the sentence being heard unless
    // the user moved it during the reading; the document keeps the place.
    void stop();
    // Everything spoken was heard. After the last sentence the document's place is forgotten,
    // so that the next reading starts at the top.
    void finished();
    // Ends following the reading (the text changed); the document keeps the place.
    void end();

    // The document now in the editor; the kept caret position for its text, if any.
    std::optional<int> documentOpened(const QString& address, const QString& text);
    // Writes the kept places; a file never read is left as it is.
    void savePositions(const QString& path);
    void loadPositions(const QString& path);

private:
    std::optional<int> toEditorRange(std::optional<int> position) const;
    int heardEditorPosition() const { return m_rangeStart + m_place.sentenceStart(); }
    void keepPlace();

    QTextEdit* m_editor;
    ListeningPlace m_place;
    int m_rangeStart = 0;
    int m_from = 0;
    SpokenText m_pronounced; // the whole range as the dictionary says it
    QString m_following;     // the document's text right after the range; empty at its end
    SpokenText m_spoken;
    QList<TextSpan> m_sentences;
    bool m_speakAtResume = false;
    int m_caretPosition = -1; // the caret and anchor the reading left alone
    int m_caretAnchor = -1;

    QString m_document;
    std::optional<ReadingPositions> m_kept; // read on first use
    bool m_keptChanged = false;
};
