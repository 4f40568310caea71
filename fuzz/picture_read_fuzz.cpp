// libFuzzer target: any bytes as a picture file, read as the program reads it.
#include "fuzz/fuzz_checks.h"
#include "fuzz/fuzz_target.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace sorvenal::fuzz;
    return Report(CheckPictureRead(data, size, ScratchFolder()));
}
