"""Builds mandarin_pinyin.bin: the lexicon, the usual readings and the polyphone model.

usage: make_table.py PINYIN_DATA_PACKAGE_DIR CEDICT_FILE POLYPHONE_DIR [--out mandarin_pinyin.bin]"""

import argparse
import collections
import os

import character_classes
import dictionary_words
import lexicon_additions
import lexicon_source
from pinyin_lexicon import Lexicon
from polyphone_training import example, is_held_out, quantized, read_marked, train

SETS = ("cpp-dev", "g2pl-train")


def examples_of(lexicon, classes, dictionary, marked):
    return [example(lexicon, classes, dictionary, text, pos, label) for _, text, pos, label in marked]


def accuracy(model, weights, lexicon, examples):
    right = 0
    for ex in examples:
        if ex.char in model.classes:
            guess = model.predict(ex, weights)
        else:
            guess = ex.lexicon_reading
        right += guess == ex.label
    return right / len(examples)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("package")
    parser.add_argument("dictionary", help="cedict_ts.u8")
    parser.add_argument("polyphones")
    parser.add_argument("--out", default=os.path.join(os.path.dirname(__file__), "mandarin_pinyin.bin"))
    parser.add_argument("--min-frequency", type=float, default=0.0)
    parser.add_argument("--epochs", type=int, default=8)
    parser.add_argument("--tune", action="store_true", help="measure on a part of the tuning data")
    args = parser.parse_args()

    dictionary = dictionary_words.DictionaryWords(dictionary_words.load(args.dictionary))
    words = lexicon_additions.add(lexicon_source.load(args.package))
    lexicon = Lexicon(words, args.min_frequency, dictionary.syllables())
    tuning, checks = [], {}
    for name in SETS:
        marked = [m for m in read_marked(os.path.join(args.polyphones, name)) if not is_held_out(m[0])]
        if args.tune:
            checks[name] = [m for m in marked if m[0] % 10 == 8]
            marked = [m for m in marked if m[0] % 10 != 8]
        tuning += marked
    classes = character_classes.learn([text for _, text, _, _ in tuning])
    model = train(examples_of(lexicon, classes, dictionary, tuning), args.epochs)
    weights = quantized(model.averaged())
    print(f"{len(model.classes)} characters, {len(weights)} feature keys")
    for name, marked in checks.items():
        examples = examples_of(lexicon, classes, dictionary, marked)
        print(f"{name}: {accuracy(model, weights, lexicon, examples):.4f} on {len(examples)}")
    if not args.tune:
        import table_writer

        table_writer.write(args.out, lexicon, classes, dictionary.kept_for(model.classes), model, weights)


if __name__ == "__main__":
    main()
