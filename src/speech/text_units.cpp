#include "text_units.h"

#include <QTextBoundaryFinder>
#include <algorithm>

namespace {

bool isClosingMark(QChar c) {
    static const QString closing = QStringLiteral("”’」』）】》〉〕］｝)]}");
    return closing.contains(c);
}

// The rules let an opening mark after an end mark stay behind; it opens the next sentence.
bool isOpeningMark(QChar c) {
    return c.category() == QChar::Punctuation_Open ||
           c.category() == QChar::Punctuation_InitialQuote;
}

bool isParagraphBreak(QChar c) {
    return c == u'\n' || c == u'\r' || c == QChar::ParagraphSeparator || c == QChar::LineSeparator;
}

// Where the sentence rules and the semicolon let a sentence end.
QList<int> sentenceBreaks(const QString& text) {
    QList<int> breaks;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Sentence, text);
    for (qsizetype at = finder.toNextBoundary(); at > 0; at = finder.toNextBoundary())
        breaks << int(at);
    for (qsizetype at = 0; at < text.size(); ++at) {
        if (text.at(at) == u'；')
            breaks << int(at + 1);
    }
    std::sort(breaks.begin(), breaks.end());
    breaks.erase(std::unique(breaks.begin(), breaks.end()), breaks.end());
    // Closing marks right after a break belong to the sentence before it, opening marks
    // right before one to the sentence after it.
    int previous = 0;
    for (int& at : breaks) {
        while (at < text.size() && isClosingMark(text.at(at)))
            ++at;
        while (at > previous + 1 && isOpeningMark(text.at(at - 1)))
            --at;
        previous = at;
    }
    breaks.erase(std::unique(breaks.begin(), breaks.end()), breaks.end());
    return breaks;
}

// The span without its blanks; empty when there is nothing else.
TextSpan trimmed(const QString& text, int start, int end) {
    while (start < end && text.at(start).isSpace())
        ++start;
    while (end > start && text.at(end - 1).isSpace())
        --end;
    return {start, end};
}

} // namespace

QList<TextSpan> sentenceSpans(const QString& text) {
    QList<TextSpan> spans;
    int start = 0;
    for (const int end : sentenceBreaks(text)) {
        if (end <= start)
            continue;
        if (const TextSpan span = trimmed(text, start, end); span.start < span.end)
            spans << span;
        start = end;
    }
    if (const TextSpan span = trimmed(text, start, int(text.size())); span.start < span.end)
        spans << span;
    return spans;
}

QList<TextSpan> paragraphSpans(const QString& text) {
    QList<TextSpan> spans;
    int start = 0;
    for (int at = 0; at <= text.size(); ++at) {
        if (at < text.size() && !isParagraphBreak(text.at(at)))
            continue;
        if (const TextSpan span = trimmed(text, start, at); span.start < span.end)
            spans << span;
        start = at + 1;
    }
    return spans;
}

int spanAt(const QList<TextSpan>& spans, int position) {
    if (spans.isEmpty())
        return -1;
    const auto after = std::upper_bound(spans.begin(), spans.end(), position,
                                        [](int at, const TextSpan& span) { return at < span.end; });
    return after == spans.end() ? int(spans.size()) - 1 : int(after - spans.begin());
}

int spanAtCaret(const QList<TextSpan>& spans, int position) {
    const int at = spanAt(spans, position);
    return at > 0 && spans[at].start > position && spans[at - 1].end == position ? at - 1 : at;
}
