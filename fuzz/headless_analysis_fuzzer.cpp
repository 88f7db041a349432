// libFuzzer target: the whole headless analysis of a data file.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_entries.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    varnel::fuzz::RunHeadlessAnalysis(data, size);
    return 0;
}
