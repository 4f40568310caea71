# The main window against the plain work it wraps (Google Benchmark, offscreen Qt).
add_executable(window_bench ${CMAKE_CURRENT_LIST_DIR}/window_bench.cpp)
target_link_libraries(window_bench PRIVATE form1_fixture bench_main)
