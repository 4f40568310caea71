// libFuzzer target: the EXIF rewrite of a saved picture, on any block.
#include "fuzz/fuzz_checks.h"
#include "fuzz/fuzz_target.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace sorvenal::fuzz;
    return Report(CheckExifRewrite(data, size));
}
