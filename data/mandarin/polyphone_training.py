"""The polyphone model: an averaged perceptron over context features, one per character.

Sentences come as .sent/.lb pairs: one character marked with U+2581 on both sides, its
reading on the same line of the .lb file. Every 10th sentence (lines 10, 20, ...) is held out
for measuring and is never read here for training."""

import collections

from polyphone_features import keys

MARK = "\u2581"
SHARED = "shared"


def is_held_out(line_index):
    return line_index % 10 == 9


def read_marked(stem):
    """[(line_index, text, position, reading)]"""
    with open(stem + ".sent", encoding="utf-8") as f:
        sentences = f.read().split("\n")
    with open(stem + ".lb", encoding="utf-8") as f:
        labels = f.read().split("\n")
    out = []
    for index, (sentence, label) in enumerate(zip(sentences, labels)):
        if not sentence:
            continue
        position = sentence.index(MARK)
        text = sentence.replace(MARK, "")
        out.append((index, text, position, label.strip().replace("u:", "v")))
    return out


# Features that any character's candidate reading may have, learnt over all characters, so
# that characters with few examples still lean on the lexicon and the second dictionary.
(
    SHARED_WORD_READING,
    SHARED_CHARACTER_READING,
    SHARED_USUAL_READING,
    SHARED_DICTIONARY_ONLY_READING,
    SHARED_DICTIONARY_ONE_OF_READINGS,
    SHARED_DICTIONARY_ANY_WORD,
    SHARED_FULL_TONE_OF_NEUTRAL,
) = range(7)
SHARED_COUNT = 7


def full_tone_of_neutral(reading, neutral):
    """The benchmark sentences mostly give a word's neutral-tone syllable its full tone (困难
    nan2); particles, which keep theirs, have examples enough to learn so."""
    return neutral[-1] == "5" and reading[-1] != "5" and reading[:-1] == neutral[:-1]


class Example:
    def __init__(self, char, keys, label, lexicon_reading, in_word, usual, dictionary):
        self.char, self.keys, self.label = char, keys, label
        self.lexicon_reading, self.in_word, self.usual = lexicon_reading, in_word, usual
        self.longest, self.anywhere = dictionary

    def shared(self, reading):
        out = []
        if reading == self.lexicon_reading:
            out.append(SHARED_WORD_READING if self.in_word else SHARED_CHARACTER_READING)
        if reading == self.usual:
            out.append(SHARED_USUAL_READING)
        if reading in self.longest:
            out.append(SHARED_DICTIONARY_ONLY_READING if len(self.longest) == 1 else SHARED_DICTIONARY_ONE_OF_READINGS)
        if reading in self.anywhere:
            out.append(SHARED_DICTIONARY_ANY_WORD)
        if self.in_word and self.lexicon_reading and full_tone_of_neutral(reading, self.lexicon_reading):
            out.append(SHARED_FULL_TONE_OF_NEUTRAL)
        return out


def example(lexicon, classes, dictionary, text, position, label):
    words = lexicon.segmenter.words(text)
    index = next(k for k, (s, n) in enumerate(words) if s <= position < s + n)
    reading = lexicon.reading_in_word(text, words[index], position)
    readings = dictionary.readings_at(text, position, words)
    feature_keys = keys(
        text, position, words, index, lexicon.syllable_id(reading), classes, [lexicon.syllable_id(r) for r in readings[0]]
    )
    in_word = words[index][1] > 1 and text[words[index][0] : sum(words[index])] in lexicon.words
    return Example(text[position], feature_keys, label, reading, in_word, lexicon.usual.get(text[position]), readings)


class Perceptron:
    def __init__(self, classes):
        self.classes = classes  # {char: [reading, ...]}, most frequent first
        self.weights = {}  # (key, char) -> [float per class]
        self.totals = {}
        self.stamps = {}
        self.step = 0

    def scores(self, ex, weights=None):
        weights = self.weights if weights is None else weights
        readings = self.classes[ex.char]
        shared = weights.get(SHARED)
        out = [sum(shared[f] for f in ex.shared(r)) if shared else 0.0 for r in readings]
        for k in ex.keys:
            w = weights.get((k, ex.char))
            if w:
                for c, v in enumerate(w):
                    out[c] += v
        return out

    def predict(self, ex, weights=None):
        s = self.scores(ex, weights)
        return self.classes[ex.char][max(range(len(s)), key=lambda c: (s[c], -c))]

    def update(self, ex):
        self.step += 1
        readings = self.classes[ex.char]
        guess = self.predict(ex)
        if guess == ex.label:
            return
        good, bad = readings.index(ex.label), readings.index(guess)
        for k in ex.keys:
            self.add((k, ex.char), len(readings), [(good, 1.0), (bad, -1.0)])
        changes = [(f, 1.0) for f in ex.shared(ex.label)] + [(f, -1.0) for f in ex.shared(guess)]
        self.add(SHARED, SHARED_COUNT, changes)

    def add(self, key, n, changes):
        w = self.weights.setdefault(key, [0.0] * n)
        t = self.totals.setdefault(key, [0.0] * n)
        elapsed = self.step - self.stamps.get(key, 0)
        for c in range(n):
            t[c] += elapsed * w[c]
        self.stamps[key] = self.step
        for c, d in changes:
            w[c] += d

    def averaged(self):
        out = {}
        for key, w in self.weights.items():
            t = self.totals[key]
            elapsed = self.step - self.stamps[key]
            out[key] = [(t[c] + elapsed * w[c]) / self.step for c in range(len(w))]
        return out


def classes_of(examples):
    """The readings each character was labelled with, and those the lexicon gave it there."""
    counts = collections.defaultdict(collections.Counter)
    for ex in examples:
        counts[ex.char][ex.label] += 1
        if ex.lexicon_reading:
            counts[ex.char][ex.lexicon_reading] += 0
    return {ch: [r for r, _ in c.most_common()] for ch, c in counts.items() if len(c) > 1}


def train(examples, epochs, shuffle_seed=7):
    import random

    classes = classes_of(examples)
    model = Perceptron(classes)
    trainable = [ex for ex in examples if ex.char in classes]
    rng = random.Random(shuffle_seed)
    for _ in range(epochs):
        rng.shuffle(trainable)
        for ex in trainable:
            model.update(ex)
    return model


def quantized(averaged):
    """Weights as int16 with a common scale; keys whose weights all round to zero dropped."""
    peak = max(abs(v) for w in averaged.values() for v in w)
    scale = ((1 << 15) - 1) / peak
    out = {}
    for key, w in averaged.items():
        q = [round(v * scale) for v in w]
        if any(q) or key == SHARED:
            out[key] = q
    return out
