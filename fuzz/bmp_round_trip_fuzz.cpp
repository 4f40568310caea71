// libFuzzer target: a picture that reads comes back pixel for pixel through the BMP writer.
#include "fuzz/fuzz_checks.h"
#include "fuzz/fuzz_target.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace sorvenal::fuzz;
    return Report(CheckBmpRoundTrip(data, size, ScratchFolder()));
}
