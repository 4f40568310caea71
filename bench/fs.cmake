# File operations: delete to the trash and a 100 MB copy against cp (bench/file_ops.sh runs it).
add_executable(file_ops_bench ${CMAKE_CURRENT_LIST_DIR}/file_ops_bench.cpp
  ${PROJECT_SOURCE_DIR}/tests/support/fs_helpers.cpp)
target_include_directories(file_ops_bench PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(file_ops_bench PRIVATE platform GTest::gtest)
