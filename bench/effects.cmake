# Circle commands and saving against the plain work they wrap (Google Benchmark, offscreen Qt).
add_executable(effects_bench ${CMAKE_CURRENT_LIST_DIR}/effects_bench.cpp)
target_link_libraries(effects_bench PRIVATE effects_commands savehelp test_helpers bench_main)
# Saving as JPEG, PNG and BMP against cjpeg and QImageWriter (a run of its own, medians).
add_executable(save_bench ${CMAKE_CURRENT_LIST_DIR}/save_bench.cpp)
target_link_libraries(save_bench PRIVATE platform bench_main)
