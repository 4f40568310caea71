# Help, read-me and the version dialog.
sorvenal_add_qt_test(help_test help_test.cpp)
target_link_libraries(help_test PRIVATE savehelp)
target_compile_definitions(help_test PRIVATE
  SORVENAL_INSTALL_DATADIR="${CMAKE_INSTALL_FULLDATADIR}/sorvenal")
