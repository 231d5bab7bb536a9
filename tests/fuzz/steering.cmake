kinemo_add_fuzzer(fuzz_steering ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_steering.cpp kinemo_app_logic kinemo_core)
