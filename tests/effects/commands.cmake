# The circle commands over real picture boxes (window-side of the effects).
sorvenal_add_qt_test(circle_commands_test circle_commands_test.cpp)
target_link_libraries(circle_commands_test PRIVATE effects_commands)
