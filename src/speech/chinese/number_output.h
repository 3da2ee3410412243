#pragma once

#include "speech/pronunciation.h"

#include <QString>
#include <vector>

// What a stretch of the written text, start to end, is said as.
struct Piece {
    qsizetype start;
    qsizetype end;
    QString spoken;
};

// How one number with its surroundings is said: pieces in order that do not overlap. Written
// text between them is said as it stands. Empty when the text at hand was not recognised.
using Reading = std::vector<Piece>;

// The spoken text made piece by piece, keeping where every position came from.
class SpokenBuilder {
public:
    explicit SpokenBuilder(const QString& written);

    // The written text before this position is settled: no piece may start before it.
    qsizetype settled() const { return m_settled; }
    void add(const Reading& reading);
    // The whole text: the written text itself, shared, when nothing was changed.
    SpokenText result();

private:
    void keepUpTo(qsizetype end);

    const QString& m_written;
    QString m_text;
    std::vector<int> m_positions;
    qsizetype m_settled = 0;
    bool m_changed = false;
};
