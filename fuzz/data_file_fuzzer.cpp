// libFuzzer target: the data-file reader (count, parse, validate).
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_entries.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    varnel::fuzz::RunDataFileReader(data, size);
    return 0;
}
