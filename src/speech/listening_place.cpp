#include "listening_place.h"

#include <QElapsedTimer>
#include <algorithm>

namespace {

qint64 steadyMs() {
    static const QElapsedTimer started = [] {
        QElapsedTimer timer;
        timer.start();
        return timer;
    }();
    return started.elapsed();
}

} // namespace

ListeningPlace::ListeningPlace(Clock clock) : m_clock(clock ? std::move(clock) : steadyMs) {}

void ListeningPlace::begin(const QString& text, int from) {
    m_reading = true;
    m_text = text;
    m_sentences = sentenceSpans(text);
    m_paragraphs = paragraphSpans(text);
    m_pausedAt = -1;
    moveTo(from);
}

void ListeningPlace::end() {
    m_reading = false;
    m_text.clear();
    m_sentences.clear();
    m_paragraphs.clear();
    m_sentence = m_paragraph = -1;
}

void ListeningPlace::moveTo(int position) {
    m_sentenceHeard = m_paragraphHeard = {};
    place(spanAt(m_sentences, position));
}

void ListeningPlace::place(int sentence) {
    m_sentence = sentence;
    m_paragraph = sentence < 0 ? -1 : spanAt(m_paragraphs, m_sentences[sentence].start);
}

void ListeningPlace::heard(int position) {
    if (!m_reading || m_sentences.isEmpty())
        return;
    const qint64 now = m_clock();
    const int paragraph = m_paragraph;
    const int sentence = spanAt(m_sentences, position);
    if (sentence != m_sentence || m_sentenceHeard.since < 0)
        m_sentenceHeard = {now, 0};
    place(sentence);
    if (m_paragraph != paragraph || m_paragraphHeard.since < 0)
        m_paragraphHeard = {now, 0};
}

void ListeningPlace::pause() {
    if (m_pausedAt < 0)
        m_pausedAt = m_clock();
}

void ListeningPlace::resume() {
    if (m_pausedAt < 0)
        return;
    const qint64 paused = m_clock() - m_pausedAt;
    for (Heard* heard : {&m_sentenceHeard, &m_paragraphHeard}) {
        if (heard->since >= 0)
            heard->pausedFor += paused;
    }
    m_pausedAt = -1;
}

qint64 ListeningPlace::playedMs(const Heard& heard) const {
    if (heard.since < 0)
        return 0;
    const qint64 now = m_pausedAt >= 0 ? m_pausedAt : m_clock();
    return now - heard.since - heard.pausedFor;
}

int ListeningPlace::sentenceStart() const {
    return m_sentence < 0 ? -1 : m_sentences[m_sentence].start;
}

std::optional<int> ListeningPlace::step(ListeningStep step) const {
    if (!m_reading || m_sentence < 0)
        return std::nullopt;
    switch (step) {
    case ListeningStep::PreviousSentence:
        if (playedMs(m_sentenceHeard) > RestartAfterMs)
            return m_sentences[m_sentence].start;
        return m_sentences[std::max(m_sentence - 1, 0)].start;
    case ListeningStep::NextSentence:
        if (m_sentence + 1 >= m_sentences.size())
            return std::nullopt;
        return m_sentences[m_sentence + 1].start;
    case ListeningStep::PreviousParagraph:
        if (playedMs(m_paragraphHeard) > RestartAfterMs)
            return m_paragraphs[m_paragraph].start;
        return m_paragraphs[std::max(m_paragraph - 1, 0)].start;
    case ListeningStep::NextParagraph:
        if (m_paragraph + 1 >= m_paragraphs.size())
            return std::nullopt;
        return m_paragraphs[m_paragraph + 1].start;
    }
    return std::nullopt;
}
