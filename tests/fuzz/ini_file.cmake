kinemo_add_fuzzer(fuzz_ini_file ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_ini_file.cpp kinemo_core)
