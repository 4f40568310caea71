# Saving the canvas as a BMP file, on real temporary folders.
sorvenal_add_qt_test(save_bitmap_test save_bitmap_test.cpp)
target_link_libraries(save_bitmap_test PRIVATE savehelp)

# Saving where the disk refuses, with the fault shim.
sorvenal_add_fault_test(save_faults_test save_faults_test.cpp)
target_link_libraries(save_faults_test PRIVATE savehelp)
