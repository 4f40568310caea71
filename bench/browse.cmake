# Browsing in the real window: the show's pace, the retouch view after a selection, peak memory.
add_executable(browse_bench ${CMAKE_CURRENT_LIST_DIR}/browse_bench.cpp)
target_link_libraries(browse_bench PRIVATE form1_fixture bench_main)
