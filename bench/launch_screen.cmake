# Launch until the picture is on the screen: the poller (Xlib and its shared-memory extension
# only) and the photos' maker.
find_package(X11 COMPONENTS Xext)
if(X11_FOUND AND X11_Xext_FOUND)
  add_executable(screen_poll ${CMAKE_CURRENT_LIST_DIR}/screen_poll.cpp)
  target_link_libraries(screen_poll PRIVATE X11::X11 X11::Xext)
endif()
add_executable(launch_photo ${CMAKE_CURRENT_LIST_DIR}/launch_photo.cpp)
target_link_libraries(launch_photo PRIVATE Qt6::Gui)
