"""Builds mandarin_pinyin.bin: the lexicon, the usual readings and the polyphone model.

usage: make_table.py PINYIN_DATA_PACKAGE_DIR CEDICT_FILE POLYPHONE_DIR [--out mandarin_pinyin.bin]
       make_table.py ... --tune 0-8   (measures over folds of the tuning data instead)"""

import argparse
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
    parser.add_argument(
        "--tune",
        metavar="FOLDS",
        help="instead of writing the table, measure on each of these folds of the tuning data "
        "(fold k: lines k+1, k+11, ...; 0-8 for all nine), trained on the rest",
    )
    args = parser.parse_args()

    dictionary = dictionary_words.DictionaryWords(dictionary_words.load(args.dictionary))
    words = lexicon_additions.add(lexicon_source.load(args.package))
    lexicon = Lexicon(words, args.min_frequency, dictionary.syllables())
    marked = {
        name: [m for m in read_marked(os.path.join(args.polyphones, name)) if not is_held_out(m[0])]
        for name in SETS
    }
    if args.tune:
        measure_folds(lexicon, dictionary, marked, folds(args.tune), args.epochs)
        return
    tuning = [m for name in SETS for m in marked[name]]
    classes, model, weights = learn(lexicon, dictionary, tuning, args.epochs)
    print(f"{len(model.classes)} characters, {len(weights)} feature keys")
    import table_writer

    table_writer.write(args.out, lexicon, classes, dictionary.kept_for(model.classes), model, weights)


def learn(lexicon, dictionary, tuning, epochs):
    classes = character_classes.learn([text for _, text, _, _ in tuning])
    model = train(examples_of(lexicon, classes, dictionary, tuning), epochs)
    return classes, model, quantized(model.averaged())


def folds(text):
    """'0-8' or '2,5,8' -> [0, ..., 8] or [2, 5, 8]"""
    if "-" in text:
        first, last = text.split("-")
        return list(range(int(first), int(last) + 1))
    return [int(k) for k in text.split(",")]


def measure_folds(lexicon, dictionary, marked, chosen, epochs):
    scores = {name: [] for name in SETS}
    for fold in chosen:
        tuning = [m for name in SETS for m in marked[name] if m[0] % 10 != fold]
        classes, model, weights = learn(lexicon, dictionary, tuning, epochs)
        for name in SETS:
            checks = examples_of(lexicon, classes, dictionary, [m for m in marked[name] if m[0] % 10 == fold])
            scores[name].append(accuracy(model, weights, lexicon, checks))
        print(f"fold {fold}: " + ", ".join(f"{n} {s[-1] * 100:.2f} %" for n, s in scores.items()), flush=True)
    print("mean: " + ", ".join(f"{n} {sum(s) / len(s) * 100:.2f} %" for n, s in scores.items()))


if __name__ == "__main__":
    main()
