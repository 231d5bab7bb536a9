kinemo_add_fuzzer(fuzz_scene_tree ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_scene_tree.cpp kinemo_scene)
