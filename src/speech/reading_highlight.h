#pragma once

#include "speech/pronunciation.h"
#include "speech/text_units.h"

#include <QObject>
#include <QString>
#include <vector>

class QTextEdit;

// For each UTF-16 position of the spoken text (and one past its end), the position in the
// editor text it was made from; the spoken text has CR LF where the editor has one line or
// paragraph break.
std::vector<int> editorPositions(const QString& source, const QString& spoken);

// Follows a reading in the editor: the sentence being heard gets a soft background and the
// word a stronger one. Both are extra selections, so the document, its undo history and the
// user's caret and selection stay as they are. Sentences are the program's own (text_units.h):
// where the engine's sentence events disagree, the sentence holding the heard word is marked. The
// view follows the sentence unless the user scrolled during the reading. An edit of the text ends
// the following.
class ReadingHighlight : public QObject {
    Q_OBJECT
public:
    explicit ReadingHighlight(QTextEdit* editor);

    bool isEnabled() const { return m_enabled; }
    // Off: clears the highlight and follows no reading until switched on again.
    void setEnabled(bool enabled);
    bool isFollowing() const { return m_following; }

    // A reading of spoken, whose positions map to offsets from editor position start; the
    // sentences of the text read, in editor positions, may begin before it.
    void begin(int start, const SpokenText& spoken, const QList<TextSpan>& sentences);
    // Positions and lengths in the spoken text.
    void sentence(int position);
    void word(int position, int length);
    // Removes the highlight and follows nothing until the next begin.
    void clear();

private:
    int toEditor(int spokenPosition) const {
        return m_start + m_spoken.writtenStart(spokenPosition);
    }
    // Marks the sentence that holds a position of the spoken text.
    void markSentenceAt(int spokenPosition);
    void show();
    void keepInView();

    QTextEdit* m_editor;
    bool m_enabled = true;
    bool m_following = false;
    bool m_userScrolled = false;
    bool m_scrolling = false;
    SpokenText m_spoken;
    int m_start = 0;
    QList<TextSpan> m_sentences; // editor positions
    int m_sentenceStart = -1;    // editor positions; -1: none
    int m_sentenceEnd = -1;
    int m_wordStart = -1;
    int m_wordEnd = -1;
};
