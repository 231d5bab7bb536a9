kinemo_add_bench(bench_render ${CMAKE_CURRENT_SOURCE_DIR}/render.cpp)
target_link_libraries(bench_render PRIVATE kinemo_render PkgConfig::GL)
target_compile_definitions(bench_render PRIVATE GL_GLEXT_PROTOTYPES)
