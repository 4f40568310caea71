# The main window against the plain work it wraps (Google Benchmark, offscreen Qt).
find_package(benchmark REQUIRED)
add_executable(window_bench ${CMAKE_CURRENT_LIST_DIR}/window_bench.cpp
  ${PROJECT_SOURCE_DIR}/tests/support/scripted_dialogs.cpp)
target_link_libraries(window_bench PRIVATE app_form1 benchmark::benchmark)
