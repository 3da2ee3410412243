#pragma once

#include <QList>
#include <QString>

// A stretch of a text, [start, end) in UTF-16 units.
struct TextSpan {
    int start = 0;
    int end = 0;
    bool operator==(const TextSpan&) const = default;
};

// The sentences of a text in order, each without the blanks around it. The Unicode sentence
// rules, with what Chinese needs beside them: a full-width semicolon ends a sentence, and the
// closing quotes and brackets after an end mark stay with the sentence they close. The reading
// commands and the follow-along highlight all name sentences by this one definition.
QList<TextSpan> sentenceSpans(const QString& text);

// The paragraphs of a text (between line or paragraph breaks) that hold more than blanks.
QList<TextSpan> paragraphSpans(const QString& text);

// The index of the span that holds position. A position in the blanks before a span belongs
// to it, one past the last span to the last; -1 when there are no spans.
int spanAt(const QList<TextSpan>& spans, int position);
// As spanAt for a caret: a caret right after a span's last character (End, or a click right of
// a line) belongs to that span, unless the next one starts there.
int spanAtCaret(const QList<TextSpan>& spans, int position);
