kinemo_add_fuzzer(fuzz_face_set ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_face_set.cpp kinemo_shapes)
