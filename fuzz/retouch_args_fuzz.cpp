// libFuzzer target: the sorvenal-retouch command line, arguments separated by NUL bytes.
#include "fuzz/fuzz_checks.h"
#include "fuzz/fuzz_target.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace sorvenal::fuzz;
    return Report(CheckRetouchArgs(data, size));
}
