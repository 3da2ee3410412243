#include "pronunciation.h"

#include <algorithm>
#include <numeric>
#include <optional>

namespace {

const QString PatternPrefix = QStringLiteral("re:");
const QString CaseSensitivePatternPrefix = QStringLiteral("re(c):");

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
    QRegularExpression expression(pattern, options);
    if (!expression.isValid()) {
        return {std::nullopt, QStringLiteral("正则表达式有误（第 %1 个字符）：%2")
                                  .arg(expression.patternErrorOffset() + 1)
                                  .arg(expression.errorString())};
    }
    return {expression, {}};
}

bool startsPair(const QString& text, qsizetype at) {
    return at + 1 < text.size() && text.at(at).isHighSurrogate() &&
           text.at(at + 1).isLowSurrogate();
}

char32_t codePointAt(const QString& text, qsizetype at) {
    return startsPair(text, at) ? QChar::surrogateToUcs4(text.at(at), text.at(at + 1))
                                : text.at(at).unicode();
}

char32_t codePointBefore(const QString& text, qsizetype at) {
    return at >= 2 && startsPair(text, at - 2) ? codePointAt(text, at - 2)
                                               : text.at(at - 1).unicode();
}

qsizetype unitsAt(const QString& text, qsizetype at) {
    return startsPair(text, at) ? 2 : 1;
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
    QString folded;
    folded.reserve(text.size());
    for (qsizetype at = 0; at < text.size();) {
        const qsizetype units = unitsAt(text, at);
        const char32_t c = codePointAt(text, at);
        const char32_t f = QChar::toCaseFolded(c);
        if (QChar::requiresSurrogates(f) == (units == 2))
            folded += QString::fromUcs4(&f, 1);
        else
            folded += QStringView(text).sliced(at, units);
        at += units;
    }
    return folded;
}

// Where a pattern matches next, not before from and not empty; start -1 when nowhere.
struct Found {
    qsizetype start = -1;
    qsizetype length = 0;
};

Found nextMatch(const QRegularExpression& expression, const QString& subject, qsizetype from) {
    while (from <= subject.size()) {
        const QRegularExpressionMatch match = expression.match(subject, from);
        if (!match.hasMatch())
            return {};
        if (match.capturedLength() > 0)
            return {match.capturedStart(), match.capturedLength()};
        from =
            match.capturedStart() +
            (match.capturedStart() < subject.size() ? unitsAt(subject, match.capturedStart()) : 1);
    }
    return {};
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

QString ruleProblem(const PronunciationRule& rule) {
    return ruleForm(rule).problem;
}

PronunciationDictionary::PronunciationDictionary(const QList<PronunciationRule>& rules) {
    for (int order = 0; order < int(rules.size()); ++order) {
        const PronunciationRule& rule = rules[order];
        RuleForm form = ruleForm(rule);
        if (!form.problem.isEmpty())
            continue;
        if (form.expression) {
            // Compiled now, so that the dictionary is only read once it is shared.
            form.expression->optimize();
            m_patterns.push_back({*form.expression, rule.spoken, order});
            continue;
        }
        m_plain.push_back(
            {caseFolded(rule.written), rule.spoken,
             isSpacedWordCharacter(codePointAt(rule.written, 0)),
             isSpacedWordCharacter(codePointBefore(rule.written, rule.written.size())), order});
    }
    std::vector<size_t> longestFirst(m_plain.size());
    std::iota(longestFirst.begin(), longestFirst.end(), size_t(0));
    std::stable_sort(longestFirst.begin(), longestFirst.end(), [this](size_t a, size_t b) {
        return m_plain[a].folded.size() > m_plain[b].folded.size();
    });
    for (const size_t index : longestFirst)
        m_plainByFirstUnit[m_plain[index].folded.at(0)].push_back(index);
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
    const auto candidates = m_plainByFirstUnit.constFind(folded.at(at));
    if (candidates == m_plainByFirstUnit.constEnd())
        return;
    for (const size_t index : *candidates) {
        const Plain& rule = m_plain[index];
        const qsizetype length = rule.folded.size();
        if (length < best.length)
            return;
        if (at + length > folded.size() || QStringView(folded).sliced(at, length) != rule.folded)
            continue;
        if (rule.wordStart && at > 0 && isSpacedWordCharacter(codePointBefore(text, at)))
            continue;
        if (rule.wordEnd && at + length < text.size() &&
            isSpacedWordCharacter(codePointAt(text, at + length)))
            continue;
        best.consider(length, rule.order, rule.spoken);
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
    // Regular expressions see the editor's paragraph and line separators as line breaks.
    QString subject = written;
    subject.replace(QChar(QChar::ParagraphSeparator), u'\n')
        .replace(QChar(QChar::LineSeparator), u'\n');
    std::vector<Found> next;
    for (const Pattern& pattern : m_patterns)
        next.push_back(nextMatch(pattern.expression, subject, 0));

    for (qsizetype at = 0; at < written.size();) {
        Match best;
        matchPlain(written, folded, at, best);
        for (size_t i = 0; i < m_patterns.size(); ++i) {
            if (next[i].start >= 0 && next[i].start < at)
                next[i] = nextMatch(m_patterns[i].expression, subject, at);
            if (next[i].start == at)
                best.consider(next[i].length, m_patterns[i].order, m_patterns[i].spoken);
        }
        if (best.spoken) {
            result.text += *best.spoken;
            result.positions.insert(result.positions.end(), size_t(best.spoken->size()), int(at));
            at += best.length;
            continue;
        }
        for (const qsizetype end = at + unitsAt(written, at); at < end; ++at) {
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
