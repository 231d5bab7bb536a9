if(TARGET kinemo_scene_render)
  kinemo_add_bench(bench_tree_drawer ${CMAKE_CURRENT_SOURCE_DIR}/tree_drawer.cpp)
  target_link_libraries(bench_tree_drawer PRIVATE kinemo_scene_render PkgConfig::GL)
endif()
