#pragma once

#include "speech/text_units.h"

#include <QString>
#include <functional>
#include <optional>

// The steps a listener takes through a reading.
enum class ListeningStep { PreviousSentence, NextSentence, PreviousParagraph, NextParagraph };

// Where a reading is, in sentences and paragraphs of the text it reads, and where each step
// goes from there. Positions count UTF-16 units of that text. The time a sentence has been
// heard decides whether "previous" goes back to its start or to the one before.
class ListeningPlace {
public:
    // Milliseconds of a steady clock; tests give their own.
    using Clock = std::function<qint64()>;
    static constexpr qint64 RestartAfterMs = 1000;

    explicit ListeningPlace(Clock clock = {});

    // A reading of text, to be heard from position from on.
    void begin(const QString& text, int from);
    void end();
    bool isReading() const { return m_reading; }
    const QString& text() const { return m_text; }
    const QList<TextSpan>& sentences() const { return m_sentences; }

    // Continues from position: nothing of its sentence has been heard yet.
    void moveTo(int position);
    // The sound of a sentence or word at position is heard.
    void heard(int position);
    void pause();
    void resume();

    // The start of the sentence being heard (or about to be); -1 with nothing to read.
    int sentenceStart() const;
    // Where the step continues; nothing when it leads past the end of the text.
    std::optional<int> step(ListeningStep step) const;

private:
    // When the sound of a sentence or paragraph began, and how long it was paused since.
    struct Heard {
        qint64 since = -1; // -1: not heard yet
        qint64 pausedFor = 0;
    };
    qint64 playedMs(const Heard& heard) const;
    void place(int sentence);

    Clock m_clock;
    bool m_reading = false;
    QString m_text;
    QList<TextSpan> m_sentences;
    QList<TextSpan> m_paragraphs;
    int m_sentence = -1;
    int m_paragraph = -1;
    Heard m_sentenceHeard;
    Heard m_paragraphHeard;
    qint64 m_pausedAt = -1;
};
