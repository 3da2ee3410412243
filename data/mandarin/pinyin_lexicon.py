"""The lexicon as the table stores it: words with costs, each character's usual reading."""

from lexicon_forms import kept_as_written
from word_segmenter import Segmenter, cost


class Lexicon:
    def __init__(self, words, min_frequency, other_syllables=()):
        """words: {word: (syllables, frequency)}; rarer words are kept only where they read
        a character otherwise than usual. other_syllables: those the table must also name."""
        self.usual = {w: s[0] for w, (s, f) in words.items() if len(w) == 1}
        for w, (syllables, _) in words.items():
            for c, s in zip(w, syllables):
                self.usual.setdefault(c, s)
        self.words = {
            w: (s, f)
            for w, (s, f) in words.items()
            if len(w) == 1 or f >= min_frequency or self.overrides(w, s)
        }
        self.kept_as_written = kept_as_written(words)
        self.segmenter = Segmenter({w: cost(f) for w, (s, f) in self.words.items()})
        self.syllables = sorted({s for syl, _ in self.words.values() for s in syl} | set(other_syllables))
        self.ids = {s: i for i, s in enumerate(self.syllables)}

    def overrides(self, word, syllables):
        return [k for k, (c, s) in enumerate(zip(word, syllables)) if s != self.usual[c]]

    def syllable_id(self, syllable):
        return self.ids.get(syllable, 0xFFFF)

    def reading_in_word(self, text, word, position):
        start, length = word
        entry = self.words.get(text[start : start + length])
        if entry:
            return entry[0][position - start]
        return self.usual.get(text[position])
