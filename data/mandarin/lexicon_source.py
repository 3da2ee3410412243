"""Words and characters with their readings, from the @pinyin-pro/data npm package."""

import json
import os
import unicodedata

TONE_MARKS = {"\u0304": 1, "\u0301": 2, "\u030c": 3, "\u0300": 4}


def numbered(marked):
    """'lǜ' -> 'lv4', 'de' -> 'de5', 'ń' -> 'n2'."""
    tone = 5
    letters = []
    for ch in unicodedata.normalize("NFD", marked.lower()):
        if ch in TONE_MARKS:
            tone = TONE_MARKS[ch]
        elif ch == "\u0308":
            letters[-1] = "v"
        elif ch == "\u0302":
            continue  # ê: the interjection, read as e
        else:
            letters.append(ch)
    return "".join(letters) + str(tone)


# Sources store 一 and 不 as they are said before the next syllable; the dictionary form is one.
DICTIONARY_FORM = {"一": "yi1", "不": "bu4"}


def load(package_dir):
    """{word: (syllables, frequency)} over the package's complete word list."""
    with open(os.path.join(package_dir, "json", "complete.json"), encoding="utf-8") as f:
        raw = json.load(f)
    words = {}
    for word, (pinyin, frequency) in raw.items():
        syllables = [numbered(s) for s in pinyin.split()]
        if len(syllables) != len(word) or any(ord(c) > 0xFFFF for c in word):
            continue
        syllables = [DICTIONARY_FORM.get(c, s) for c, s in zip(word, syllables)]
        words[word] = (syllables, frequency)
    return words
