# The history of steps and its journal on a 24-megapixel photo (Google Benchmark, offscreen Qt).
add_executable(history_bench ${CMAKE_CURRENT_LIST_DIR}/history_bench.cpp)
target_link_libraries(history_bench PRIVATE form1_fixture bench_main)
