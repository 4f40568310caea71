# Large folders in the real window: change of folder, re-list, Down, a copied file listed.
add_executable(folders_bench ${CMAKE_CURRENT_LIST_DIR}/folders_bench.cpp)
target_link_libraries(folders_bench PRIVATE form1_fixture bench_main)
