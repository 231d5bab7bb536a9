kinemo_add_bench(bench_scene_files ${CMAKE_CURRENT_SOURCE_DIR}/scene_files.cpp)
target_link_libraries(bench_scene_files PRIVATE kinemo_scene_files BZip2::BZip2)
