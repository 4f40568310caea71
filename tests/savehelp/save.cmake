# Saving the canvas as a BMP file, on real temporary folders.
sorvenal_add_qt_test(save_bitmap_test save_bitmap_test.cpp)
target_link_libraries(save_bitmap_test PRIVATE savehelp)
