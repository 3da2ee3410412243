# Numbers, dates, times, money, units and symbols written out as a Chinese reader says them.
target_sources(
    parlora_core
    PRIVATE speech/chinese/chinese_numbers.cpp
            speech/chinese/number_output.cpp
            speech/chinese/number_quantity.cpp
            speech/chinese/number_shapes.cpp
            speech/chinese/number_text.cpp
            speech/chinese/number_units.cpp
            speech/chinese/number_words.cpp)
