# Full-screen views and the show against the plain work they wrap (Google Benchmark, offscreen Qt).
add_executable(viewers_bench ${CMAKE_CURRENT_LIST_DIR}/viewers_bench.cpp)
target_link_libraries(viewers_bench PRIVATE form1_fixture viewers bench_main)

# Preview-first and huge-page decoding against QImageReader::read.
add_executable(decode_bench ${CMAKE_CURRENT_LIST_DIR}/decode_bench.cpp)
target_link_libraries(decode_bench PRIVATE platform bench_main)
