#include "reading_highlight.h"

#include <QScrollBar>
#include <QTextEdit>
#include <algorithm>

namespace {

const QColor SentenceBackground(0xff, 0xf1, 0xb8);
const QColor WordBackground(0xff, 0xc8, 0x3d);

QTextEdit::ExtraSelection marked(QTextEdit* editor, int start, int end, const QColor& color) {
    QTextEdit::ExtraSelection selection;
    selection.cursor = QTextCursor(editor->document());
    selection.cursor.setPosition(start);
    selection.cursor.setPosition(end, QTextCursor::KeepAnchor);
    selection.format.setBackground(color);
    return selection;
}

} // namespace

std::vector<int> editorPositions(const QString& source, const QString& spoken) {
    std::vector<int> positions;
    positions.reserve(size_t(spoken.size()) + 1);
    qsizetype from = 0;
    for (qsizetype at = 0; at < spoken.size(); ++at) {
        positions.push_back(int(from));
        const bool breakAdded = spoken.at(at) == u'\r' && at + 1 < spoken.size() &&
                                spoken.at(at + 1) == u'\n' && from < source.size() &&
                                source.at(from) != u'\r';
        if (breakAdded) { // its line feed stands for the same break
            positions.push_back(int(from));
            ++at;
        }
        from = std::min(from + 1, source.size());
    }
    positions.push_back(int(from));
    return positions;
}

ReadingHighlight::ReadingHighlight(QTextEdit* editor) : QObject(editor), m_editor(editor) {
    connect(editor->document(), &QTextDocument::contentsChange, this, [this] { clear(); });
    for (QScrollBar* bar : {editor->verticalScrollBar(), editor->horizontalScrollBar()}) {
        connect(bar, &QScrollBar::valueChanged, this, [this] {
            if (m_following && !m_scrolling)
                m_userScrolled = true;
        });
    }
}

void ReadingHighlight::setEnabled(bool enabled) {
    m_enabled = enabled;
    if (!enabled)
        clear();
}

void ReadingHighlight::begin(int start, const SpokenText& spoken,
                             const QList<TextSpan>& sentences) {
    clear();
    if (!m_enabled)
        return;
    m_spoken = spoken;
    m_start = start;
    m_sentences = sentences;
    m_following = true;
    m_userScrolled = false;
}

void ReadingHighlight::clear() {
    if (m_sentenceStart >= 0 || m_wordStart >= 0)
        m_editor->setExtraSelections({});
    m_following = false;
    m_spoken = {};
    m_sentences.clear();
    m_sentenceStart = m_sentenceEnd = m_wordStart = m_wordEnd = -1;
}

void ReadingHighlight::markSentenceAt(int spokenPosition) {
    const int index = spanAt(m_sentences, toEditor(spokenPosition));
    if (index < 0)
        return;
    m_sentenceStart = m_sentences[index].start;
    m_sentenceEnd = m_sentences[index].end;
}

void ReadingHighlight::sentence(int position) {
    if (!m_following)
        return;
    markSentenceAt(position);
    m_wordStart = m_wordEnd = -1;
    show();
}

void ReadingHighlight::word(int position, int length) {
    if (!m_following)
        return;
    m_wordStart = toEditor(position);
    m_wordEnd = m_start + m_spoken.writtenEnd(position + length);
    if (m_wordStart < m_sentenceStart || m_wordStart >= m_sentenceEnd)
        markSentenceAt(position);
    show();
}

void ReadingHighlight::show() {
    QList<QTextEdit::ExtraSelection> selections;
    if (m_sentenceStart >= 0)
        selections << marked(m_editor, m_sentenceStart, m_sentenceEnd, SentenceBackground);
    if (m_wordStart >= 0)
        selections << marked(m_editor, m_wordStart, m_wordEnd, WordBackground);
    m_editor->setExtraSelections(selections);
    if (!m_userScrolled)
        keepInView();
}

// Brings the sentence into view, its start at the top; a sentence taller than the view is
// followed by its word.
void ReadingHighlight::keepInView() {
    const auto rectAt = [this](int position) {
        QTextCursor cursor(m_editor->document());
        cursor.setPosition(position);
        return m_editor->cursorRect(cursor);
    };
    const int height = m_editor->viewport()->height();
    const bool sentence = m_sentenceStart >= 0;
    int top = rectAt(sentence ? m_sentenceStart : m_wordStart).top();
    int bottom = rectAt(sentence ? m_sentenceEnd : m_wordEnd).bottom();
    if (bottom - top > height && m_wordStart >= 0) {
        top = rectAt(m_wordStart).top();
        bottom = rectAt(m_wordEnd).bottom();
    }
    if (top >= 0 && bottom <= height)
        return;
    QScrollBar* bar = m_editor->verticalScrollBar();
    m_scrolling = true;
    bar->setValue(bar->value() + top);
    m_scrolling = false;
}
