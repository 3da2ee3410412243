#pragma once

#include <QList>
#include <QRegularExpression>
#include <QString>
#include <memory>
#include <vector>

// A text as the voice is to say it, with where each of its positions came from in the written
// text, so that what is heard can be shown in what the user reads.
struct SpokenText {
    QString text;
    // One entry for each position of text and one past its end: the written position it came
    // from. Every position of a substitution maps to the start of the words it replaced.
    std::vector<int> positions;

    // The written position where something starting at a spoken position starts.
    int writtenStart(int spokenPosition) const;
    // The written position where something ending at a spoken position ends: an end inside a
    // substitution reaches the end of the words it replaced.
    int writtenEnd(int spokenPosition) const;
    // This text changed once more into next, whose positions map into this text.
    SpokenText then(const QString& next, const std::vector<int>& nextPositions) const;
    // What is said of the written text from writtenPosition on, its positions counted from
    // there; a substitution of words that begin before it is left out.
    SpokenText from(int writtenPosition) const;
};

// One line of the dictionary as the user wrote it: the written side still carries its "re:" or
// "re(c):" prefix.
struct PronunciationRule {
    QString written;
    QString spoken;
    bool operator==(const PronunciationRule&) const = default;
};

// Why a rule cannot be used (a regular expression that does not compile, or that gave up on a
// text because its matching backtracked without end; an empty written side), in the user's
// words; empty when it can.
QString ruleProblem(const PronunciationRule& rule);

// How words are said: the rules of pronunciation.txt, applied in one pass over a text. At each
// place the longest match wins (the earlier rule on a tie) and the text after it is searched
// next, so no rule applies to what another one produced. Plain rules match case-insensitively;
// where they begin or end in a letter or digit of a script written with spaces, they match
// whole words only, while Chinese and Japanese characters match wherever they stand. Rules that
// cannot be used are skipped; a pattern whose matching reaches its bound is skipped for the rest
// of that text. Immutable once made, so that a reading and an export can share one.
class PronunciationDictionary {
public:
    PronunciationDictionary() = default;
    explicit PronunciationDictionary(const QList<PronunciationRule>& rules);

    bool isEmpty() const { return m_plain.empty() && m_patterns.empty(); }
    SpokenText spoken(const QString& written) const;

private:
    struct Plain {
        QString spoken;
        bool wordStart; // must not follow a letter or digit of a spaced script
        bool wordEnd;
        int order;
    };
    // The plain rules' case-folded written sides as a tree of their units: every match at a
    // place is found in one walk as long as the longest rule.
    struct Node {
        std::vector<std::pair<char16_t, int>> children; // by unit
        int rule = -1;                                  // the plain rule that ends here
        // Where the child for a unit is, or would go.
        size_t place(char16_t unit) const;
    };
    void addPlain(const QString& folded, const Plain& rule);
    struct Pattern {
        QRegularExpression expression;
        QString spoken;
        int order;
        QString written; // as the user wrote it, to report an overrun
    };
    struct Match {
        qsizetype length = 0;
        int order = 0;
        const QString* spoken = nullptr;
        void consider(qsizetype candidateLength, int candidateOrder, const QString& candidate);
    };
    void matchPlain(const QString& text, const QString& folded, qsizetype at, Match& best) const;

    std::vector<Plain> m_plain;
    std::vector<Node> m_nodes{Node{}};
    std::vector<Pattern> m_patterns; // in file order
};

// The text as the dictionary makes it, for a caller that needs no positions.
QString spokenText(const PronunciationDictionary& dictionary, const QString& written);

using SharedPronunciation = std::shared_ptr<const PronunciationDictionary>;
