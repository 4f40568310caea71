# Zoom in the retouch view: steps, the pyramid and scrolling (Google Benchmark, offscreen Qt).
add_executable(zoom_bench ${CMAKE_CURRENT_LIST_DIR}/zoom_bench.cpp)
target_link_libraries(zoom_bench PRIVATE form1_fixture bench_main Qt6::Test)
