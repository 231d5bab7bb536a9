kinemo_add_bench(bench_face_sets ${CMAKE_CURRENT_SOURCE_DIR}/face_sets.cpp)
target_link_libraries(bench_face_sets PRIVATE kinemo_shapes)
