kinemo_add_fuzzer(fuzz_jpeg ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_jpeg.cpp kinemo_geometry)
