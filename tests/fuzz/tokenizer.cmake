kinemo_add_fuzzer(fuzz_tokenizer ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_tokenizer.cpp kinemo_tokenizer)
