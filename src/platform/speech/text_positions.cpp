#include "text_positions.h"

#include <algorithm>

TextPositions::TextPositions(const QString& text) {
    m_starts.reserve(size_t(text.size()) + 1);
    for (qsizetype i = 0; i < text.size(); ++i) {
        m_starts.push_back(int(i));
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
    }
    m_starts.push_back(int(text.size()));
}

int TextPositions::utf16(int character) const {
    return m_starts[size_t(std::clamp(character, 0, int(m_starts.size()) - 1))];
}
