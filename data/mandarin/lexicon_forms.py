"""Characters the conversion to simplified forms would wrongly change.

The program turns traditional characters into simplified ones one at a time, which also maps
some simplified characters to a variant (吒 to 咤). A character that the lexicon's words use
at least a quarter as often as the form it would become is kept as written."""

import collections
import subprocess


def kept_as_written(words):
    uses = collections.Counter(c for w in words if len(w) > 1 for c in set(w))
    chars = sorted(uses)
    converted = subprocess.run(
        ["opencc", "-c", "t2s.json"], input="\n".join(chars), capture_output=True, text=True, check=True
    ).stdout.split("\n")
    return {c for c, s in zip(chars, converted) if c != s and uses[c] * 4 >= uses[s]}
