# Full-screen views and the show against the plain work they wrap (Google Benchmark, offscreen Qt).
find_package(benchmark REQUIRED)
add_executable(viewers_bench ${CMAKE_CURRENT_LIST_DIR}/viewers_bench.cpp
  ${PROJECT_SOURCE_DIR}/tests/support/scripted_dialogs.cpp)
target_link_libraries(viewers_bench PRIVATE app_form1 viewers benchmark::benchmark)

# Preview-first and huge-page decoding against QImageReader::read.
add_executable(decode_bench ${CMAKE_CURRENT_LIST_DIR}/decode_bench.cpp)
target_link_libraries(decode_bench PRIVATE platform)
