#pragma once

#include <QString>
#include <vector>

// Maps the characters (code points) of a text to its UTF-16 positions, where a character
// outside the Basic Multilingual Plane takes two.
class TextPositions {
public:
    explicit TextPositions(const QString& text);
    // The UTF-16 position of the character with this 0-based index, clamped to the text.
    int utf16(int character) const;

private:
    std::vector<int> m_starts; // one for each character, then the text's length
};
