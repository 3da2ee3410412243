#include "neural_speech_text.h"

#include "app/code_points.h"
#include "speech_voice.h"

#include <cstdlib>

namespace {

// A first sentence longer than this starts with its first clause, of at least ShortestClause.
constexpr int LongFirstSentence = 16;
constexpr int ShortestClause = 4;
// Longer pieces are cut: Skip waits for the piece being made, and its audio is held whole.
constexpr int LongestPiece = 120;
// Samples this loud or louder are heard; the runtime's silence around a piece is below it.
constexpr int Audible = 500;

bool isClauseMark(const QString& text, int at) {
    static const QString fullWidth = QStringLiteral("，、；：");
    static const QString ascii = QStringLiteral(",;:");
    const QChar c = text.at(at);
    // An ASCII mark only before a blank: "10:30" and "1,000" are no clauses.
    return fullWidth.contains(c) ||
           (ascii.contains(c) && at + 1 < text.size() && text.at(at + 1).isSpace());
}

bool isSyllableScript(char32_t c) {
    switch (QChar::script(c)) {
    case QChar::Script_Han:
    case QChar::Script_Hiragana:
    case QChar::Script_Katakana:
    case QChar::Script_Hangul:
        return true;
    default:
        return false;
    }
}

bool isWordCharacter(char32_t c) {
    return QChar::isLetterOrNumber(c) || QChar::category(c) == QChar::Mark_NonSpacing;
}

// After the first clause mark of a long first sentence, or -1.
int firstClauseEnd(const QString& text, const TextSpan& sentence) {
    for (int at = sentence.start + ShortestClause - 1; at < sentence.end - 1; ++at) {
        if (isClauseMark(text, at))
            return at + 1;
    }
    return -1;
}

// Where a piece too long is cut before limit: after its last clause mark or blank in the
// second half, else at the limit, never inside a character or a word.
int longCut(const QString& text, int from, int limit) {
    for (int at = limit - 1; at > from + (limit - from) / 2; --at) {
        if (isClauseMark(text, at) || text.at(at).isSpace())
            return at + 1;
    }
    int at = limit;
    while (at > from + 1 &&
           (endsSurrogatePair(text, at) ||
            (isWordCharacter(text.at(at).unicode()) && isWordCharacter(text.at(at - 1).unicode()) &&
             !isSyllableScript(text.at(at).unicode()))))
        --at;
    return at;
}

} // namespace

std::vector<SpeechPiece> speechPieces(const QString& text) {
    std::vector<SpeechPiece> pieces;
    for (const TextSpan& sentence : sentenceSpans(text)) {
        int start = sentence.start;
        while (start < sentence.end) {
            int end = sentence.end;
            const int cut = pieces.empty() && end - start > LongFirstSentence
                                ? firstClauseEnd(text, sentence)
                                : -1;
            if (cut > 0)
                end = cut;
            else if (end - start > LongestPiece)
                end = longCut(text, start, start + LongestPiece);
            pieces.push_back({start, end, start == sentence.start});
            start = end;
            while (start < sentence.end && text.at(start).isSpace())
                ++start;
        }
    }
    return pieces;
}

QList<TextSpan> syllableSpans(const QString& text) {
    QList<TextSpan> syllables;
    const int size = int(text.size());
    for (int at = 0; at < size;) {
        const char32_t c = codePointAt(text, at);
        const int units = int(unitsOfCharacterAt(text, at));
        if (isSyllableScript(c)) {
            syllables << TextSpan{at, at + units};
            at += units;
        } else if (isWordCharacter(c)) {
            const int start = at;
            // A word goes on through an apostrophe between letters ("don't").
            while (at < size) {
                const char32_t next = codePointAt(text, at);
                const bool joined = (next == u'\'' || next == u'’') && at + 1 < size &&
                                    isWordCharacter(text.at(at + 1).unicode());
                if (isSyllableScript(next) || !(isWordCharacter(next) || joined))
                    break;
                at += int(unitsOfCharacterAt(text, at));
            }
            syllables << TextSpan{start, at};
        } else {
            at += units;
        }
    }
    return syllables;
}

std::vector<SpeechMark> pieceMarks(const SpeechPiece& piece, const SpokenText& spoken,
                                   const std::vector<qint16>& samples) {
    size_t first = 0;
    size_t last = samples.size();
    while (first < last && std::abs(samples[first]) < Audible)
        ++first;
    while (last > first && std::abs(samples[last - 1]) < Audible)
        --last;
    if (first == last) // nothing audible: spread over all of it
        first = 0, last = samples.size();

    std::vector<SpeechMark> marks;
    if (piece.sentenceStart)
        marks.push_back({int(SpeechBoundary::Sentence), piece.start, 0, 0, first});
    const QList<TextSpan> syllables = syllableSpans(spoken.text);
    for (qsizetype k = 0; k < syllables.size(); ++k) {
        const int start = piece.start + spoken.writtenStart(syllables[k].start);
        const int length = piece.start + spoken.writtenEnd(syllables[k].end) - start;
        if (!marks.empty() && marks.back().kind == int(SpeechBoundary::Word) &&
            marks.back().position == start && marks.back().length == length)
            continue;
        const size_t sample = first + (last - first) * size_t(k) / size_t(syllables.size());
        marks.push_back({int(SpeechBoundary::Word), start, length, 0, sample});
    }
    return marks;
}
