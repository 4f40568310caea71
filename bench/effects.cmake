# Circle commands and saving against the plain work they wrap (Google Benchmark, offscreen Qt).
find_package(benchmark REQUIRED)
add_executable(effects_bench ${CMAKE_CURRENT_LIST_DIR}/effects_bench.cpp
  ${PROJECT_SOURCE_DIR}/tests/support/scripted_dialogs.cpp)
target_link_libraries(effects_bench PRIVATE effects_commands savehelp benchmark::benchmark)
