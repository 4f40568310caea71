# Circle commands and saving against the plain work they wrap (Google Benchmark, offscreen Qt).
add_executable(effects_bench ${CMAKE_CURRENT_LIST_DIR}/effects_bench.cpp)
target_link_libraries(effects_bench PRIVATE effects_commands savehelp test_helpers bench_main)
