"""Classes of characters that stand in like places in text, learnt from the tuning sentences.

A character is described by the characters found one and two places before and after it
(positive pointwise mutual information), the description is cut to its main dimensions, and
the characters are grouped by k-means twice: coarsely and finely. The polyphone model reads
the classes of a character's neighbours, so that what it learnt beside one surname or measure
word carries over to the others of its class.

Needs python3-numpy and python3-scipy; gives the same classes each time."""

import collections

import numpy as np
from scipy.sparse.linalg import svds

COARSE, FINE = 64, 256
UNKNOWN, OUTSIDE = 0x100, 0x101  # above every class, which the table keeps in a byte
MIN_COUNT = 3
CONTEXT_SIZE = 3000
DIMENSIONS = 64
OFFSETS = (-2, -1, 1, 2)


class CharacterClasses:
    def __init__(self, table):
        self.table = table  # {char: (coarse, fine)}

    def at(self, text, i):
        """(coarse, fine) of text[i]; OUTSIDE beyond the text, UNKNOWN for a rare character."""
        if i < 0 or i >= len(text):
            return OUTSIDE, OUTSIDE
        return self.table.get(text[i], (UNKNOWN, UNKNOWN))


def learn(texts, seed=0):
    counts = collections.Counter(c for t in texts for c in t)
    # The program's table keys characters by one UTF-16 unit.
    vocabulary = [c for c, n in counts.most_common() if n >= MIN_COUNT and ord(c) <= 0xFFFF]
    index = {c: k for k, c in enumerate(vocabulary)}
    context = {c: k for k, (c, _) in enumerate(counts.most_common(CONTEXT_SIZE))}
    other = len(context)  # a rarer character, or the edge of the text
    width = other + 1
    pairs = np.zeros((len(vocabulary), len(OFFSETS) * width))
    for t in texts:
        for i, c in enumerate(t):
            row = index.get(c)
            if row is None:
                continue
            for slot, d in enumerate(OFFSETS):
                j = i + d
                column = context.get(t[j], other) if 0 <= j < len(t) else other
                pairs[row, slot * width + column] += 1
    embedding = _reduced(_ppmi(pairs), seed)
    rng = np.random.default_rng(seed)
    coarse = _kmeans(embedding, COARSE, rng)
    fine = _kmeans(embedding, FINE, rng)
    return CharacterClasses({c: (int(coarse[k]), int(fine[k])) for c, k in index.items()})


def _ppmi(pairs):
    total = pairs.sum()
    expected = pairs.sum(1, keepdims=True) * pairs.sum(0, keepdims=True) / total
    with np.errstate(divide="ignore", invalid="ignore"):
        pmi = np.log(pairs / expected)
    pmi[~np.isfinite(pmi)] = 0
    return np.maximum(pmi, 0)


def _reduced(matrix, seed):
    u, s, _ = svds(matrix, k=DIMENSIONS, random_state=seed)
    order = np.argsort(-s)
    vectors = u[:, order] * np.sqrt(s[order])
    return vectors / (np.linalg.norm(vectors, axis=1, keepdims=True) + 1e-9)


def _kmeans(vectors, k, rng, rounds=30):
    """Cluster of each row, by cosine similarity to the centres."""
    centres = vectors[rng.choice(len(vectors), k, replace=False)].copy()
    for _ in range(rounds):
        nearest = np.argmax(vectors @ centres.T, axis=1)
        for j in range(k):
            members = vectors[nearest == j]
            if len(members):
                mean = members.mean(0)
                centres[j] = mean / (np.linalg.norm(mean) + 1e-9)
    return np.argmax(vectors @ centres.T, axis=1)
