# Mandarin readings of words: the lexicon, word segmentation, polyphones, traditional characters.
enable_language(ASM)
target_sources(parlora_core PRIVATE
    speech/chinese/dictionary_readings.cpp
    speech/chinese/mandarin_pinyin.cpp
    speech/chinese/pinyin_table.cpp
    speech/chinese/pinyin_table_data.S
    speech/chinese/pinyin_traditional.cpp
    speech/chinese/polyphone_features.cpp
    speech/chinese/polyphone_model.cpp
    speech/chinese/word_segmenter.cpp)
# The table is built by data/mandarin/make_table.py and committed; the assembler embeds it.
set(PARLORA_PINYIN_TABLE ${PROJECT_SOURCE_DIR}/data/mandarin/mandarin_pinyin.bin)
set_source_files_properties(speech/chinese/pinyin_table_data.S PROPERTIES
    COMPILE_OPTIONS "-Wa,-I${PROJECT_SOURCE_DIR}/data/mandarin"
    OBJECT_DEPENDS ${PARLORA_PINYIN_TABLE})
