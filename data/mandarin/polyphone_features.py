"""Context features of a character, hashed to 64-bit keys.

Mirrors src/speech/chinese/polyphone_features.cpp: any change here must be made there too."""

MASK = (1 << 64) - 1
BEFORE_TEXT, AFTER_TEXT = 1, 2


def fnv(values):
    h = 14695981039346656037
    for v in values:
        h ^= v
        h = (h * 1099511628211) & MASK
    return h


def unit(text, i):
    if i < 0:
        return BEFORE_TEXT
    if i >= len(text):
        return AFTER_TEXT
    c = text[i]
    if "0" <= c <= "9":
        return ord("0")
    if c.isascii() and c.isalpha():
        return ord("a")
    return ord(c)


def keys(text, i, words, word_index, lexicon_syllable, classes, dictionary_syllables):
    """Keys for text[i], which lies in words[word_index] = (start, length); classes are the
    CharacterClasses of character_classes.py; dictionary_syllables the ids of its readings in
    the longest word of dictionary_words.py that covers it."""
    target = ord(text[i])
    c = lambda d: unit(text, i + d)
    start, length = words[word_index]
    word = [ord(x) for x in text[start : start + length]]

    def word_at(k):
        if k < 0 or k >= len(words):
            return [0]
        s, n = words[k]
        return [ord(x) for x in text[s : s + n]]

    rows = [
        [],
        [c(-1)],
        [c(-2)],
        [c(1)],
        [c(2)],
        [c(-2), c(-1)],
        [c(-1), c(1)],
        [c(1), c(2)],
        [i - start] + word,
        [lexicon_syllable, int(length > 1)],
        word_at(word_index - 1),
        word_at(word_index + 1),
        [classes.at(text, i - 1)[0]],
        [classes.at(text, i + 1)[0]],
        [classes.at(text, i - 1)[1]],
        [classes.at(text, i + 1)[1]],
    ]
    out = [fnv([target, template] + values) for template, values in enumerate(rows)]
    if dictionary_syllables:
        out.append(fnv([target, len(rows)] + sorted(dictionary_syllables)))
    return out
