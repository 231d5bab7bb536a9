kinemo_add_fuzzer(fuzz_text ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_text.cpp kinemo_text)
