#include "pronunciation.h"

#include "app/code_points.h"

#include <QMutex>
#include <QSet>
#include <algorithm>
#include <numeric>
#include <optional>

namespace {

const QString PatternPrefix = QStringLiteral("re:");
const QString CaseSensitivePatternPrefix = QStringLiteral("re(c):");
// Every pattern's matching is bounded, so that one that backtracks without end (a nested
// repetition such as "(a+)+$") gives up within milliseconds instead of holding the reading.
const QString MatchBound = QStringLiteral("(*LIMIT_MATCH=1000000)");

// The written sides of the patterns that reached the bound in a text: the dictionary dialog
// shows them like broken rules. The dictionary is used from any thread.
QMutex overrunLock;
QSet<QString>& overruns() {
    static QSet<QString> written;
    return written;
}

void noteOverrun(const QString& written) {
    const QMutexLocker locker(&overrunLock);
    overruns().insert(written);
}

bool hasOverrun(const QString& written) {
    const QMutexLocker locker(&overrunLock);
    return overruns().contains(written);
}

// What a rule's written side says: a regular expression (compiled, and its problem when it
// does not compile), or plain words.
struct RuleForm {
    std::optional<QRegularExpression> expression;
    QString problem;
};

RuleForm ruleForm(const PronunciationRule& rule) {
    QRegularExpression::PatternOptions options =
        QRegularExpression::UseUnicodePropertiesOption | QRegularExpression::MultilineOption;
    QString pattern;
    if (rule.written.startsWith(CaseSensitivePatternPrefix)) {
        pattern = rule.written.mid(CaseSensitivePatternPrefix.size());
    } else if (rule.written.startsWith(PatternPrefix)) {
        pattern = rule.written.mid(PatternPrefix.size());
        options |= QRegularExpression::CaseInsensitiveOption;
    } else {
        return {std::nullopt,
                rule.written.isEmpty() ? QStringLiteral("原文为空，此条不起作用") : QString()};
    }
    if (pattern.isEmpty())
        return {std::nullopt, QStringLiteral("正则表达式为空，此条不起作用")};
    QRegularExpression expression(MatchBound + pattern, options);
    if (!expression.isValid()) {
        return {std::nullopt, QStringLiteral("正则表达式有误（第 %1 个字符）：%2")
                                  .arg(std::max<qsizetype>(
                                           expression.patternErrorOffset() - MatchBound.size(), 0) +
                                       1)
                                  .arg(expression.errorString())};
    }
    if (hasOverrun(rule.written))
        return {expression, QStringLiteral("正则表达式匹配时回溯过多，已被跳过，请改得简单些")};
    return {expression, {}};
}

char32_t codePointBefore(const QString& text, qsizetype at) {
    return at >= 2 && startsSurrogatePair(text, at - 2) ? codePointAt(text, at - 2)
                                                        : text.at(at - 1).unicode();
}

// A letter, digit or mark of a script that puts spaces between its words: a plain rule does not
// match part of such a word. Chinese, Japanese and the scripts of South-East Asia run their
// words together, so their characters match wherever they stand.
bool isSpacedWordCharacter(char32_t c) {
    if (!QChar::isLetterOrNumber(c) && !QChar::isMark(c) && c != u'_')
        return false;
    switch (QChar::script(c)) {
    case QChar::Script_Han:
    case QChar::Script_Hiragana:
    case QChar::Script_Katakana:
    case QChar::Script_Bopomofo:
    case QChar::Script_Thai:
    case QChar::Script_Lao:
    case QChar::Script_Khmer:
    case QChar::Script_Myanmar:
        return false;
    default:
        return true;
    }
}

// Case folded one character at a time, keeping every position where it was.
QString caseFolded(const QString& text) {
    QString folded(text.size(), Qt::Uninitialized);
    QChar* out = folded.data();
    for (qsizetype at = 0; at < text.size(); ++at) {
        if (!startsSurrogatePair(text, at)) {
            out[at] = text.at(at).toCaseFolded();
            continue;
        }
        const char32_t f = QChar::toCaseFolded(codePointAt(text, at));
        const bool pair = QChar::requiresSurrogates(f);
        out[at] = pair ? QChar(QChar::highSurrogate(f)) : text.at(at);
        out[at + 1] = pair ? QChar(QChar::lowSurrogate(f)) : text.at(at + 1);
        ++at;
    }
    return folded;
}

// Where a pattern matches next, not before from and not empty; start -1 when nowhere, or when
// the pattern reached its bound (overrun).
struct Found {
    qsizetype start = -1;
    qsizetype length = 0;
    bool overrun = false;
};

Found nextMatch(const QRegularExpression& expression, const QString& subject, qsizetype from) {
    while (from <= subject.size()) {
        // The subject is valid UTF-16 (see patternSubject): checking it again on every search
        // would take as long as the text each time.
        const QRegularExpressionMatch match =
            expression.match(subject, from, QRegularExpression::NormalMatch,
                             QRegularExpression::DontCheckSubjectStringMatchOption);
        if (!match.isValid()) // matching failed: the bound was reached
            return {-1, 0, true};
        if (!match.hasMatch())
            return {};
        if (match.capturedLength() > 0)
            return {match.capturedStart(), match.capturedLength()};
        from = match.capturedStart() + (match.capturedStart() < subject.size()
                                            ? unitsOfCharacterAt(subject, match.capturedStart())
                                            : 1);
    }
    return {};
}

// The text as the patterns search it: the editor's paragraph and line separators are line
// breaks, and a lone surrogate (never a character) is a replacement character. Every
// position stays where it was.
QString patternSubject(const QString& text) {
    QString subject = text;
    for (qsizetype at = 0; at < subject.size(); ++at) {
        const QChar c = subject.at(at);
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
            subject[at] = u'\n';
        else if (startsSurrogatePair(subject, at))
            ++at;
        else if (c.isSurrogate())
            subject[at] = QChar::ReplacementCharacter;
    }
    return subject;
}

} // namespace

int SpokenText::writtenStart(int spokenPosition) const {
    if (positions.empty())
        return 0;
    return positions[size_t(std::clamp(spokenPosition, 0, int(positions.size()) - 1))];
}

int SpokenText::writtenEnd(int spokenPosition) const {
    if (positions.empty())
        return 0;
    const int last = int(positions.size()) - 1;
    int at = std::clamp(spokenPosition, 0, last);
    while (at > 0 && at < last && positions[size_t(at)] == positions[size_t(at - 1)])
        ++at;
    return positions[size_t(at)];
}

SpokenText SpokenText::then(const QString& next, const std::vector<int>& nextPositions) const {
    SpokenText result{next, {}};
    result.positions.reserve(nextPositions.size());
    for (const int position : nextPositions)
        result.positions.push_back(writtenStart(position));
    return result;
}

SpokenText SpokenText::from(int writtenPosition) const {
    const auto first = std::lower_bound(positions.begin(), positions.end(), writtenPosition);
    const qsizetype at = std::min<qsizetype>(first - positions.begin(), text.size());
    SpokenText result{text.mid(at), {}};
    result.positions.reserve(positions.size() - size_t(at));
    for (auto p = positions.begin() + at; p != positions.end(); ++p)
        result.positions.push_back(std::max(*p - writtenPosition, 0));
    return result;
}

QString ruleProblem(const PronunciationRule& rule) {
    return ruleForm(rule).problem;
}

PronunciationDictionary::PronunciationDictionary(const QList<PronunciationRule>& rules) {
    for (int order = 0; order < int(rules.size()); ++order) {
        const PronunciationRule& rule = rules[order];
        RuleForm form = ruleForm(rule);
        if (form.expression) {
            // Compiled now, so that the dictionary is only read once it is shared. A pattern
            // that overran in an earlier text is tried again: the text may be another.
            form.expression->optimize();
            m_patterns.push_back({*form.expression, rule.spoken, order, rule.written});
            continue;
        }
        if (!form.problem.isEmpty())
            continue;
        addPlain(caseFolded(rule.written),
                 {rule.spoken, isSpacedWordCharacter(codePointAt(rule.written, 0)),
                  isSpacedWordCharacter(codePointBefore(rule.written, rule.written.size())),
                  order});
    }
}

size_t PronunciationDictionary::Node::place(char16_t unit) const {
    return size_t(std::lower_bound(children.begin(), children.end(), unit,
                                   [](const auto& child, char16_t u) { return child.first < u; }) -
                  children.begin());
}

// A second rule with the same written side never wins: the first one is kept.
void PronunciationDictionary::addPlain(const QString& folded, const Plain& rule) {
    int node = 0;
    for (const QChar unit : folded) {
        const size_t place = m_nodes[size_t(node)].place(unit.unicode());
        auto& children = m_nodes[size_t(node)].children;
        if (place < children.size() && children[place].first == unit.unicode()) {
            node = children[place].second;
            continue;
        }
        const int added = int(m_nodes.size());
        children.insert(children.begin() + qsizetype(place), {unit.unicode(), added});
        m_nodes.emplace_back();
        node = added;
    }
    if (m_nodes[size_t(node)].rule < 0) {
        m_nodes[size_t(node)].rule = int(m_plain.size());
        m_plain.push_back(rule);
    }
}

void PronunciationDictionary::Match::consider(qsizetype candidateLength, int candidateOrder,
                                              const QString& candidate) {
    if (candidateLength > length || (candidateLength == length && candidateOrder < order)) {
        length = candidateLength;
        order = candidateOrder;
        spoken = &candidate;
    }
}

void PronunciationDictionary::matchPlain(const QString& text, const QString& folded, qsizetype at,
                                         Match& best) const {
    int node = 0;
    for (qsizetype end = at; end < folded.size();) {
        const Node& here = m_nodes[size_t(node)];
        const char16_t unit = folded.at(end).unicode();
        const size_t place = here.place(unit);
        if (place == here.children.size() || here.children[place].first != unit)
            return;
        node = here.children[place].second;
        ++end;
        if (m_nodes[size_t(node)].rule < 0)
            continue;
        const Plain& rule = m_plain[size_t(m_nodes[size_t(node)].rule)];
        if (rule.wordStart && at > 0 && isSpacedWordCharacter(codePointBefore(text, at)))
            continue;
        if (rule.wordEnd && end < text.size() && isSpacedWordCharacter(codePointAt(text, end)))
            continue;
        best.consider(end - at, rule.order, rule.spoken);
    }
}

SpokenText PronunciationDictionary::spoken(const QString& written) const {
    SpokenText result;
    if (isEmpty()) {
        result.text = written;
        result.positions.resize(size_t(written.size()) + 1);
        std::iota(result.positions.begin(), result.positions.end(), 0);
        return result;
    }
    result.text.reserve(written.size());
    result.positions.reserve(size_t(written.size()) + 1);
    const QString folded = caseFolded(written);
    const QString subject = m_patterns.empty() ? QString() : patternSubject(written);
    std::vector<Found> next;
    const auto search = [&](size_t i, qsizetype from) {
        next[i] = nextMatch(m_patterns[i].expression, subject, from);
        if (next[i].overrun)
            noteOverrun(m_patterns[i].written);
    };
    next.resize(m_patterns.size());
    for (size_t i = 0; i < m_patterns.size(); ++i)
        search(i, 0);

    for (qsizetype at = 0; at < written.size();) {
        Match best;
        matchPlain(written, folded, at, best);
        for (size_t i = 0; i < m_patterns.size(); ++i) {
            if (next[i].start >= 0 && next[i].start < at)
                search(i, at);
            if (next[i].start == at)
                best.consider(next[i].length, m_patterns[i].order, m_patterns[i].spoken);
        }
        if (best.spoken) {
            result.text += *best.spoken;
            result.positions.insert(result.positions.end(), size_t(best.spoken->size()), int(at));
            at += best.length;
            continue;
        }
        for (const qsizetype end = at + unitsOfCharacterAt(written, at); at < end; ++at) {
            result.text += written.at(at);
            result.positions.push_back(int(at));
        }
    }
    result.positions.push_back(int(written.size()));
    return result;
}

QString spokenText(const PronunciationDictionary& dictionary, const QString& written) {
    return dictionary.isEmpty() ? written : dictionary.spoken(written).text;
}
