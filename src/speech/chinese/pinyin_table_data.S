// The Mandarin reading table, built by data/mandarin/make_table.py, kept in the program's
// read-only data so that it is paged in only when read.
    .section .rodata.parlora_mandarin_pinyin, "a"
    .balign 16
    .globl parlora_mandarin_pinyin
    .hidden parlora_mandarin_pinyin
parlora_mandarin_pinyin:
    .incbin "mandarin_pinyin.bin"
    .globl parlora_mandarin_pinyin_end
    .hidden parlora_mandarin_pinyin_end
parlora_mandarin_pinyin_end:
    .section .note.GNU-stack, "", @progbits
