#!/usr/bin/python3
"""Tiny, deterministic voices in the layouts of the natural voices' model releases, for tests.

The model emits, for every input token, `hop` samples of a sine whose frequency depends on the
token id (and tone / speaker id), where hop = floor(HOP * length_scale): the number of samples is
exactly num_tokens * hop and follows the speed asked.

  tiny-zh          Chinese, tokens + lexicon (two speakers, 16 kHz)
  tiny-melo-zh_en  Chinese + English in the MeloTTS layout (22.05 kHz)
  tiny-piper-en    English, Piper-style, phonemes from the espeak-ng data beside it (22.05 kHz)
  tiny-matcha-zh   Chinese in the Matcha layout: an acoustic model whose "mel" is the sine's
                   phase and a vocoder (hifigan_v2.onnx) that makes the sine of it (22.05 kHz)
  tiny-kokoro-en   English in the Kokoro layout: espeak-ng phonemes, two speakers whose styles
                   in voices.bin raise the pitch (24 kHz)

Usage: make_tiny_voices.py OUTDIR
"""
import math
import os
import shutil
import struct
import sys

import onnx
from onnx import TensorProto, helper

HOP = 160  # samples per token at length_scale == 1


def const(name, value, dtype=TensorProto.FLOAT, dims=None):
    if not isinstance(value, (list, tuple)):
        value = [value]
        dims = [] if dims is None else dims
    elif dims is None:
        dims = [len(value)]
    return helper.make_node(
        "Constant", [], [name],
        value=helper.make_tensor(name + "_t", dtype, dims, value))


def build_graph(kind, sample_rate, inputs_order):
    """kind: 'lexicon' (icefall-style, 6 inputs), 'melo' (7 inputs), 'piper' (3 inputs),
    'matcha' (4 inputs, the phase out as "mel") or 'kokoro' (tokens, style, speed)."""
    nodes = []
    f = TensorProto.FLOAT
    i64 = TensorProto.INT64
    decl = {
        "x": helper.make_tensor_value_info("x", i64, [1, "L"]),
        "x_length": helper.make_tensor_value_info("x_length", i64, [1]),
        "x_lengths": helper.make_tensor_value_info("x_lengths", i64, [1]),
        "tones": helper.make_tensor_value_info("tones", i64, [1, "L"]),
        "noise_scale": helper.make_tensor_value_info("noise_scale", f, [1]),
        "length_scale": helper.make_tensor_value_info("length_scale", f, [1]),
        "noise_scale_w": helper.make_tensor_value_info("noise_scale_w", f, [1]),
        "sid": helper.make_tensor_value_info("sid", i64, [1]),
        "input": helper.make_tensor_value_info("input", i64, [1, "L"]),
        "input_lengths": helper.make_tensor_value_info("input_lengths", i64,
                                                       [1]),
        "scales": helper.make_tensor_value_info("scales", f, [3]),
        "tokens": helper.make_tensor_value_info("tokens", i64, [1, "L"]),
        "style": helper.make_tensor_value_info("style", f, [1, KOKORO_STYLE[2]]),
        "speed": helper.make_tensor_value_info("speed", f, [1]),
    }
    graph_inputs = [decl[n] for n in inputs_order]
    xlen_name = "x_lengths" if "x_lengths" in inputs_order else "x_length"
    if kind == "piper":
        xlen_name = "input_lengths"
        # x = input; noise_scale, length_scale, noise_scale_w = scales[0..2]
        nodes += [
            helper.make_node("Identity", ["input"], ["x"]),
            const("c_s0", [0], i64), const("c_s1", [1], i64),
            const("c_s2", [2], i64), const("c_s3", [3], i64),
            helper.make_node("Slice", ["scales", "c_s0", "c_s1"],
                             ["noise_scale"]),
            helper.make_node("Slice", ["scales", "c_s1", "c_s2"],
                             ["length_scale"]),
            helper.make_node("Slice", ["scales", "c_s2", "c_s3"],
                             ["noise_scale_w"]),
        ]
        if "sid" not in inputs_order:
            nodes.append(const("sid", [0], i64))
    if kind == "matcha":
        nodes += [const("noise_scale_w", [0.0]), const("sid", [0], i64)]
    if kind == "kokoro":
        # x = tokens; length_scale = 1 / speed; the speaker's pitch is the sum of its style
        xlen_name = "c_xlen"
        nodes += [
            helper.make_node("Identity", ["tokens"], ["x"]),
            const("c_xlen", [0], i64),
            const("noise_scale", [0.0]), const("noise_scale_w", [0.0]),
            const("c_one_k", [1.0]),
            helper.make_node("Div", ["c_one_k", "speed"], ["length_scale"]),
            helper.make_node("ReduceSum", ["style"], ["sidf"], keepdims=1),
        ]

    nodes += [
        const("c_hop", float(HOP)),
        const("c_one", 1.0),
        const("c_zero_s", 0.0),           # scalar
        const("c_one_s", 1.0),            # scalar
        const("c_axes0", [0], i64),
        const("c_shape_col", [-1, 1], i64),
        const("c_shape_out", [1, 1, -1], i64),
        const("c_base", 220.0),
        const("c_step", 17.0),
        const("c_sidstep", 40.0),
        const("c_tonestep", 25.0),
        const("c_w", 2.0 * math.pi / sample_rate),
        const("c_amp", 0.3),
        const("c_zero", 0.0),
    ]
    # hop = max(1, floor(HOP * length_scale)) as a float scalar
    nodes += [
        helper.make_node("Mul", ["c_hop", "length_scale"], ["hop_raw"]),
        helper.make_node("Floor", ["hop_raw"], ["hop_floor"]),
        helper.make_node("Max", ["hop_floor", "c_one"], ["hop_1d"]),
        helper.make_node("Squeeze", ["hop_1d", "c_axes0"], ["hop_s"]),
        helper.make_node("Range", ["c_zero_s", "hop_s", "c_one_s"], ["t"]),
    ]
    # per-token frequency, column vector [L, 1]
    nodes += [
        helper.make_node("Cast", ["x"], ["xf"], to=f),
        helper.make_node("Reshape", ["xf", "c_shape_col"], ["xcol"]),
        helper.make_node("Mul", ["xcol", "c_step"], ["xstep"]),
        helper.make_node("Add", ["xstep", "c_base"], ["freq0"]),
    ]
    if kind != "kokoro":
        nodes.append(helper.make_node("Cast", ["sid"], ["sidf"], to=f))
    nodes += [
        helper.make_node("Mul", ["sidf", "c_sidstep"], ["sidoff"]),
        helper.make_node("Add", ["freq0", "sidoff"], ["freq1"]),
    ]
    freq = "freq1"
    if kind == "melo":
        nodes += [
            helper.make_node("Cast", ["tones"], ["tf"], to=f),
            helper.make_node("Reshape", ["tf", "c_shape_col"], ["tcol"]),
            helper.make_node("Mul", ["tcol", "c_tonestep"], ["toff"]),
            helper.make_node("Add", [freq, "toff"], ["freq2"]),
        ]
        freq = "freq2"
    # amplitude = 0.3 + 0 * (noise_scale + noise_scale_w + x_length)
    # (keeps every declared input connected)
    nodes += [
        helper.make_node("Cast", [xlen_name], ["xlenf"], to=f),
        helper.make_node("Add", ["noise_scale", "noise_scale_w"], ["ns"]),
        helper.make_node("Add", ["ns", "xlenf"], ["ns2"]),
        helper.make_node("Mul", ["ns2", "c_zero"], ["ns0"]),
        helper.make_node("Add", ["c_amp", "ns0"], ["amp"]),
    ]
    # y = amp * sin(w * freq[L,1] * t[hop]) -> [1, 1, L*hop]
    nodes += [
        helper.make_node("Mul", [freq, "c_w"], ["fw"]),
        helper.make_node("Mul", ["fw", "t"], ["phase"]),      # [L, hop]
    ]
    if kind == "matcha":
        # The vocoder makes the sound: "mel" is the phase, amp - 0.3 (that is 0) added.
        nodes += [
            helper.make_node("Sub", ["amp", "c_amp"], ["amp0"]),
            helper.make_node("Add", ["phase", "amp0"], ["phase0"]),
            helper.make_node("Reshape", ["phase0", "c_shape_out"], ["mel"]),
        ]
        out = helper.make_tensor_value_info("mel", f, [1, 1, "T"])
    else:
        nodes += [
            helper.make_node("Sin", ["phase"], ["s"]),
            helper.make_node("Mul", ["s", "amp"], ["ys"]),
            helper.make_node("Reshape", ["ys", "c_shape_out"],
                             ["audio" if kind == "kokoro" else "y"]),
        ]
        out = helper.make_tensor_value_info("audio" if kind == "kokoro" else "y", f,
                                            [1, 1, "T"])
    graph = helper.make_graph(nodes, "tiny_vits_" + kind, graph_inputs, [out])
    model = helper.make_model(
        graph, opset_imports=[helper.make_opsetid("", 13)],
        producer_name="parlora-tests")
    model.ir_version = 7
    onnx.checker.check_model(model)
    return model


def add_meta(model, meta):
    del model.metadata_props[:]
    for k, v in meta.items():
        p = model.metadata_props.add()
        p.key = k
        p.value = str(v)


# ---------------------------------------------------------------- voices
ZH_WORDS = {  # char -> (phones, tones)
    "你": (["n", "i"], [3, 3]),
    "好": (["h", "ao"], [3, 3]),
    "世": (["sh", "i"], [4, 4]),
    "界": (["j", "ie"], [4, 4]),
    "今": (["j", "in"], [1, 1]),
    "天": (["t", "ian"], [1, 1]),
    "气": (["q", "i"], [4, 4]),
    "很": (["h", "en"], [3, 3]),
    "中": (["zh", "ong"], [1, 1]),
    "文": (["w", "en"], [2, 2]),
    "朗": (["l", "ang"], [3, 3]),
    "读": (["d", "u"], [2, 2]),
    "一": (["y", "i"], [1, 1]),
    "二": (["er", "er"], [4, 4]),
}
EN_WORDS = {
    "hello": ["HH", "AH", "L", "OW"],
    "world": ["W", "ER", "L", "D"],
    "test": ["T", "EH", "S", "T"],
}
LETTERS = {chr(c): [chr(c).upper() + "_"] for c in range(ord("a"), ord("z") + 1)}


def add_phones(tokens, phone_lists):
    """Appends each phone not yet among the tokens, in order of first use."""
    for phones in phone_lists:
        for phone in phones:
            if phone not in tokens:
                tokens.append(phone)


def write_tokens(out, tokens):
    """tokens.txt: one "token id" line each, ids in order."""
    with open(os.path.join(out, "tokens.txt"), "w", encoding="utf-8") as fh:
        for i, t in enumerate(tokens):
            fh.write(f"{t} {i}\n")


def lexicon_voice(out, language, comment, n_speakers, sample_rate):
    """icefall-style: tokens + lexicon, language Chinese or English."""
    os.makedirs(out, exist_ok=True)
    tokens = ["_", "sil", "eos", "#0"]
    punct = ["，", "。", "！", "？", ",", ".", "!", "?"]
    tokens += punct
    add_phones(tokens, [p for p, _ in ZH_WORDS.values()] + list(EN_WORDS.values()) +
               list(LETTERS.values()))
    write_tokens(out, tokens + [" "])
    with open(os.path.join(out, "lexicon.txt"), "w", encoding="utf-8") as fh:
        for w, (p, _) in ZH_WORDS.items():
            fh.write(f"{w} {' '.join(p)}\n")
        for w, p in EN_WORDS.items():
            fh.write(f"{w} {' '.join(p)}\n")
        for w, p in LETTERS.items():
            fh.write(f"{w} {' '.join(p)}\n")
    inputs = ["x", "x_length", "noise_scale", "length_scale", "noise_scale_w",
              "sid"]
    model = build_graph("lexicon", sample_rate, inputs)
    add_meta(model, {
        "model_type": "vits",
        "comment": comment,
        "language": language,
        "sample_rate": sample_rate,
        "n_speakers": n_speakers,
        "add_blank": 0,
        "punctuation": " ".join(punct),
    })
    onnx.save(model, os.path.join(out, "model.onnx"))


def melo_voice(out, sample_rate):
    """MeloTTS-zh_en-style: lexicon lines 'word phones... tones...'."""
    os.makedirs(out, exist_ok=True)
    tokens = ["_"]
    punct = ["!", "?", "…", ",", ".", "'", "-"]
    tokens += punct
    add_phones(tokens, [p for p, _ in ZH_WORDS.values()])
    add_phones(tokens, list(EN_WORDS.values()) + list(LETTERS.values()))
    write_tokens(out, tokens)
    with open(os.path.join(out, "lexicon.txt"), "w", encoding="utf-8") as fh:
        for w, p in list(EN_WORDS.items()) + list(LETTERS.items()):
            tones = ["7"] * len(p)   # English tones start after Chinese ones
            fh.write(f"{w} {' '.join(p)} {' '.join(tones)}\n")
        for w, (p, t) in ZH_WORDS.items():
            fh.write(f"{w} {' '.join(p)} {' '.join(map(str, t))}\n")
        # two-character phrase entries (longest-match segmentation)
        fh.write("你好 n i h ao 2 2 3 3\n")
        fh.write("世界 sh i j ie 4 4 4 4\n")
        # the loader aliases these two; give it their sources
        fh.write("母 m u 3 3\n")
        fh.write("恩 en en 1 1\n")
        for extra in ("m", "u", "en"):
            if extra not in tokens:
                tokens.append(extra)
    # rewrite tokens (extra phones added above)
    write_tokens(out, tokens)
    inputs = ["x", "x_lengths", "tones", "sid", "noise_scale", "length_scale",
              "noise_scale_w"]
    model = build_graph("melo", sample_rate, inputs)
    add_meta(model, {
        "model_type": "melo-vits",
        "comment": "melo",
        "version": 2,
        "language": "Chinese + English",
        "add_blank": 1,
        "n_speakers": 1,
        "jieba": 1,
        "sample_rate": sample_rate,
        "speaker_id": 1,
    })
    onnx.save(model, os.path.join(out, "model.onnx"))


PIPER_SYMBOLS = (list("_^$ !'(),-.:;?") + list("abcdefghijklmnopqrstuvwxyz")
                 + list("0123456789")
                 + list("æçðøħŋœǀǁǂǃɐɑɒɓɔɕɖɗɘəɚɛɜɝɞɟɠɡɢɣɤɥɦɧɨɪɫɬɭɮɯɰɱɲɳɴ"
                        "ɵɶɸɹɺɻɽɾʀʁʂʃʄʈʉʊʋʌʍʎʏʐʑʒʔʕʘʙʛʜʝʟʡʢʲˈˌːˑ˞βθχᵻⱱ"))


# Debian's espeak-ng data, of which an English Piper voice needs only these.
ESPEAK_DATA = "/usr/lib/x86_64-linux-gnu/espeak-ng-data"
ESPEAK_FILES = ["phontab", "phonindex", "phondata", "intonations", "en_dict",
                "lang/gmw/en", "lang/gmw/en-US"]


def copy_espeak_data(out):
    for name in ESPEAK_FILES:
        target = os.path.join(out, "espeak-ng-data", name)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        shutil.copyfile(os.path.join(ESPEAK_DATA, name), target)


def piper_voice(out, language, voice, sample_rate):
    """piper-style: espeak-ng phonemes, one character per token."""
    os.makedirs(out, exist_ok=True)
    copy_espeak_data(out)
    seen = []
    for c in PIPER_SYMBOLS:
        if c not in seen:
            seen.append(c)
    write_tokens(out, seen)
    model = build_graph("piper", sample_rate,
                        ["input", "input_lengths", "scales"])
    add_meta(model, {
        "model_type": "vits",
        "comment": "piper",
        "language": language,
        "voice": voice,
        "sample_rate": sample_rate,
        "n_speakers": 1,
        "has_espeak": 1,
    })
    onnx.save(model, os.path.join(out, "model.onnx"))


def hifigan_vocoder(path):
    """The Matcha voice's vocoder: audio = 0.3 * sin(mel), [1, 1, T] -> [1, T]."""
    f = TensorProto.FLOAT
    nodes = [
        const("c_amp", 0.3),
        const("c_shape", [1, -1], TensorProto.INT64),
        helper.make_node("Sin", ["mel"], ["s"]),
        helper.make_node("Mul", ["s", "c_amp"], ["ys"]),
        helper.make_node("Reshape", ["ys", "c_shape"], ["audio"]),
    ]
    graph = helper.make_graph(
        nodes, "tiny_vocoder", [helper.make_tensor_value_info("mel", f, [1, 1, "T"])],
        [helper.make_tensor_value_info("audio", f, [1, "T"])])
    model = helper.make_model(graph, opset_imports=[helper.make_opsetid("", 13)],
                              producer_name="parlora-tests")
    model.ir_version = 7
    onnx.checker.check_model(model)
    add_meta(model, {"model_type": "hifigan", "comment": "tiny"})
    onnx.save(model, path)


def matcha_voice(out, sample_rate):
    """Matcha, Chinese: tokens + lexicon read character by character, a blank between the
    phones; the vocoder is a file of its own."""
    os.makedirs(out, exist_ok=True)
    tokens = ["_", "，", "。", "！", "？"]
    add_phones(tokens, [p for p, _ in ZH_WORDS.values()])
    write_tokens(out, tokens)
    with open(os.path.join(out, "lexicon.txt"), "w", encoding="utf-8") as fh:
        for w, (p, _) in ZH_WORDS.items():
            fh.write(f"{w} {' '.join(p)}\n")
    model = build_graph("matcha", sample_rate,
                        ["x", "x_length", "noise_scale", "length_scale"])
    add_meta(model, {
        "model_type": "matcha-tts",
        "language": "Chinese",
        "sample_rate": sample_rate,
        "n_speakers": 1,
        "jieba": 1,
        "has_espeak": 0,
        "use_eos_bos": 0,
        "pad_id": 0,
        "add_blank": 1,
        "version": 1,
    })
    onnx.save(model, os.path.join(out, "model-steps-3.onnx"))
    hifigan_vocoder(os.path.join(out, "hifigan_v2.onnx"))


# Kokoro's styles: (longest token run, 1, style size) per speaker.
KOKORO_STYLE = [510, 1, 4]
KOKORO_SPEAKERS = 2


def kokoro_voice(out, sample_rate):
    """Kokoro, English: espeak-ng phonemes, one character per token, 0 before and after."""
    os.makedirs(out, exist_ok=True)
    copy_espeak_data(out)
    seen = ["$"]
    for c in PIPER_SYMBOLS:
        if c not in seen:
            seen.append(c)
    write_tokens(out, seen)
    # Every row of speaker s sums to s: the model raises its pitch by the sum.
    rows, dim = KOKORO_STYLE[0], KOKORO_STYLE[2]
    styles = []
    for speaker in range(KOKORO_SPEAKERS):
        styles += [speaker / dim] * (rows * dim)
    with open(os.path.join(out, "voices.bin"), "wb") as fh:
        fh.write(struct.pack(f"<{len(styles)}f", *styles))
    model = build_graph("kokoro", sample_rate, ["tokens", "style", "speed"])
    add_meta(model, {
        "model_type": "kokoro",
        "language": "English",
        "voice": "en-us",
        "sample_rate": sample_rate,
        "n_speakers": KOKORO_SPEAKERS,
        "has_espeak": 1,
        "version": 1,
        "style_dim": ",".join(map(str, KOKORO_STYLE)),
        "speaker_names": ",".join(f"s{i}" for i in range(KOKORO_SPEAKERS)),
    })
    onnx.save(model, os.path.join(out, "model.onnx"))


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else "voices"
    lexicon_voice(os.path.join(root, "tiny-zh"), "Chinese", "icefall", 2, 16000)
    melo_voice(os.path.join(root, "tiny-melo-zh_en"), 22050)
    piper_voice(os.path.join(root, "tiny-piper-en"), "English", "en-us", 22050)
    matcha_voice(os.path.join(root, "tiny-matcha-zh"), 22050)
    kokoro_voice(os.path.join(root, "tiny-kokoro-en"), 24000)
    for d in os.listdir(root):
        with open(os.path.join(root, d, "LICENSE"), "w", encoding="utf-8") as fh:
            fh.write("Made by make_tiny_voices.py for Parlora's tests; no rights reserved.\n")


if __name__ == "__main__":
    main()
