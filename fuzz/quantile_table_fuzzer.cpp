// libFuzzer target: LoadFQuantileTable on finv.dat.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_entries.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    varnel::fuzz::RunQuantileTable(data, size);
    return 0;
}
