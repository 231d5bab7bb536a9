kinemo_add_fuzzer(fuzz_bzip2_blocks ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_bzip2_blocks.cpp kinemo_scene_files BZip2::BZip2)
