#pragma once

#include "pcm_buffer.h"
#include "speech/pronunciation.h"
#include "speech/text_units.h"

#include <QList>
#include <QString>
#include <vector>

// A stretch [start, end) of a text that a natural voice is given in one request; sentenceStart:
// a sentence begins with it.
struct SpeechPiece {
    int start = 0;
    int end = 0;
    bool sentenceStart = true;
    bool operator==(const SpeechPiece&) const = default;
};

// The text's sentences, by the program's own definition, one piece each. The runtime makes a
// whole piece before any of it is heard: a long first sentence is cut after a clause mark, so
// that speech starts soon, and a very long sentence wherever it is cut into shorter pieces.
std::vector<SpeechPiece> speechPieces(const QString& text);

// The syllables of a text as a natural voice says them: one per Chinese, Japanese or Korean
// character, one per word or number in other scripts.
QList<TextSpan> syllableSpans(const QString& text);

// Where a piece's sentence and words are heard in its audio: the sound between the silence
// around it divided evenly over its syllables. spoken is the piece as said, its positions in
// the piece; the marks' positions count in the whole text. Syllables said for the same written
// words ("2024" said as four) make one word, heard at the first of them.
std::vector<SpeechMark> pieceMarks(const SpeechPiece& piece, const SpokenText& spoken,
                                   const std::vector<qint16>& samples);
