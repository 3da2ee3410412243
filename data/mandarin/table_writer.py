"""Writes the table read in place by src/speech/chinese/pinyin_table.cpp.

Little-endian; every section starts at a multiple of 8 bytes. Header: 16 uint32 values, see
HEADER below. Syllables: 8 bytes each, NUL-padded. Characters: (uint16 code, uint16 usual
syllable | 0x8000 when kept as written, see lexicon_forms.py) sorted by code. Words: uint32 offsets into the word records, sorted by the words'
UTF-16 units; a record is uint16 values: length | has-changes << 5 | cost << 8, the units,
then, with changes, a mask of the characters read otherwise than usual and their syllables.
Classes: (uint16 code, uint8 coarse class, uint8 fine class) sorted by code, see
character_classes.py.
Model: (uint16 character, uint16 reading count, uint32 first reading) sorted by character;
the readings as uint16 syllables; uint64 feature keys sorted, with uint32 indexes into the
int16 weights (one per reading of the key's character); the first weights are the shared ones.
Dictionary words (dictionary_words.py): uint32 offsets into the records, sorted by the words'
UTF-16 units; a record is uint16 values: length | reading count << 5, the units, then the
syllables of each reading."""

import struct

from polyphone_training import SHARED, SHARED_COUNT

MAGIC = 0x4E59_4E50
VERSION = 3
HEADER = (
    "magic version syllableCount syllables charCount chars wordCount wordIndex words "
    "classCount classes modelCharCount modelChars readings featureCount featureKeys featureWeights "
    "weights dictionaryWordCount dictionaryIndex dictionaryWords"
).split()


class Sections:
    def __init__(self):
        self.data = bytearray(4 * len(HEADER))
        self.header = {"magic": MAGIC, "version": VERSION}

    def add(self, name, blob):
        self.data += bytes(-len(self.data) % 8)
        self.header[name] = len(self.data)
        self.data += blob

    def finish(self):
        struct.pack_into(f"<{len(HEADER)}I", self.data, 0, *(self.header[h] for h in HEADER))
        return bytes(self.data)


def char_entry(lexicon, c):
    return lexicon.syllable_id(lexicon.usual[c]) | (0x8000 if c in lexicon.kept_as_written else 0)


def word_record(lexicon, word, syllables, cost):
    changed = lexicon.overrides(word, syllables)
    values = [len(word) | (bool(changed) << 5) | (cost << 8)] + [ord(c) for c in word]
    if changed:
        values.append(sum(1 << k for k in changed))
        values += [lexicon.syllable_id(syllables[k]) for k in changed]
    return struct.pack(f"<{len(values)}H", *values)


def indexed(out, count_name, index_name, records_name, records):
    offsets, size = [], 0
    for r in records:
        offsets.append(size // 2)
        size += len(r)
    out.header[count_name] = len(records)
    out.add(index_name, struct.pack(f"<{len(offsets)}I", *offsets))
    out.add(records_name, b"".join(records))


def dictionary_record(lexicon, word, readings):
    assert len(readings) < 8, word
    values = [len(word) | len(readings) << 5] + [ord(c) for c in word]
    values += [lexicon.syllable_id(s) for r in readings for s in r]
    return struct.pack(f"<{len(values)}H", *values)


def write(path, lexicon, classes, dictionary, model, weights):
    out = Sections()
    out.header["syllableCount"] = len(lexicon.syllables)
    out.add("syllables", b"".join(s.encode().ljust(8, b"\0") for s in lexicon.syllables))

    chars = sorted(lexicon.usual)
    out.header["charCount"] = len(chars)
    out.add("chars", b"".join(struct.pack("<HH", ord(c), char_entry(lexicon, c)) for c in chars))

    records = [word_record(lexicon, w, lexicon.words[w][0], lexicon.segmenter.costs[w]) for w in sorted(lexicon.words)]
    indexed(out, "wordCount", "wordIndex", "words", records)

    classed = sorted(classes.table)
    out.header["classCount"] = len(classed)
    out.add("classes", b"".join(struct.pack("<HBB", ord(c), *classes.table[c]) for c in classed))

    model_chars = sorted(model.classes)
    entries, readings = [], []
    for c in model_chars:
        entries.append(struct.pack("<HHI", ord(c), len(model.classes[c]), len(readings)))
        readings += [lexicon.syllable_id(r) for r in model.classes[c]]
    out.header["modelCharCount"] = len(model_chars)
    out.add("modelChars", b"".join(entries))
    out.add("readings", struct.pack(f"<{len(readings)}H", *readings))

    flat = list(weights[SHARED])
    assert len(flat) == SHARED_COUNT
    keys = sorted(k for k in weights if k != SHARED)
    indexes = []
    for key in keys:
        indexes.append(len(flat))
        flat += weights[key]
    out.header["featureCount"] = len(keys)
    out.add("featureKeys", struct.pack(f"<{len(keys)}Q", *(k for k, _ in keys)))
    out.add("featureWeights", struct.pack(f"<{len(indexes)}I", *indexes))
    out.add("weights", struct.pack(f"<{len(flat)}h", *flat))

    records = [dictionary_record(lexicon, w, dictionary.words[w]) for w in sorted(dictionary.words)]
    indexed(out, "dictionaryWordCount", "dictionaryIndex", "dictionaryWords", records)

    with open(path, "wb") as f:
        f.write(out.finish())
    print(f"{path}: {len(out.data)} bytes")
