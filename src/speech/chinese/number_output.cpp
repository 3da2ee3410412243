#include "number_output.h"

#include <numeric>

SpokenBuilder::SpokenBuilder(const QString& written) : m_written(written) {
    // Numbers are mostly said in about as many characters as they take written.
    m_text.reserve(written.size() + written.size() / 8);
    m_positions.reserve(size_t(m_text.capacity()) + 1);
}

void SpokenBuilder::add(const Reading& reading) {
    for (const Piece& piece : reading) {
        keepUpTo(piece.start);
        m_text += piece.spoken;
        m_positions.insert(m_positions.end(), size_t(piece.spoken.size()), int(piece.start));
        m_settled = piece.end;
        m_changed = true;
    }
}

void SpokenBuilder::keepUpTo(qsizetype end) {
    m_text += QStringView(m_written).sliced(m_settled, end - m_settled);
    for (qsizetype at = m_settled; at < end; ++at)
        m_positions.push_back(int(at));
    m_settled = end;
}

SpokenText SpokenBuilder::result() {
    if (!m_changed) {
        std::vector<int> identity(size_t(m_written.size()) + 1);
        std::iota(identity.begin(), identity.end(), 0);
        return {m_written, identity};
    }
    keepUpTo(m_written.size());
    m_positions.push_back(int(m_written.size()));
    return {m_text, m_positions};
}
