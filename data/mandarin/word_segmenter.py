"""The lexicon's word costs and the cheapest path through the words of a text.

Mirrors src/speech/chinese/word_segmenter.cpp: any change here must be made there too."""

import math

UNKNOWN_COST = 255


def cost(frequency):
    """A word's cost: -ln(frequency) in eighths, one byte."""
    return max(1, min(254, round(-math.log(frequency) * 8)))


class Segmenter:
    def __init__(self, costs):
        self.costs = costs  # {word: cost}
        self.longest = max(len(w) for w in costs)

    def words(self, text):
        """[(start, length)] covering text; ties go to the longer word."""
        n = len(text)
        best = [0] * (n + 1)
        step = [1] * (n + 1)
        for i in range(n - 1, -1, -1):
            best[i] = UNKNOWN_COST + best[i + 1]
            step[i] = 1
            for length in range(1, min(self.longest, n - i) + 1):
                c = self.costs.get(text[i : i + length])
                if c is None:
                    continue
                total = c + best[i + length]
                if total < best[i] or (total == best[i] and length > step[i]):
                    best[i], step[i] = total, length
        out = []
        i = 0
        while i < n:
            out.append((i, step[i]))
            i += step[i]
        return out
