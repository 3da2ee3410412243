"""Adds the words of lexicon_additions.txt to those of the source."""

import os

PATH = os.path.join(os.path.dirname(__file__), "lexicon_additions.txt")


def add(words, path=PATH):
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.rstrip("\n")
            if not line or line.startswith("#"):
                continue
            word, syllables, frequency = line.split("\t")
            syllables = syllables.split()
            assert len(syllables) == len(word), word
            old = words.get(word)
            words[word] = (syllables, float(frequency) if frequency else old[1])
    return words
