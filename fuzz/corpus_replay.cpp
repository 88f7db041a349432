// Runs every file of a stored fuzzing corpus through the entry function a fuzzer uses, so that
// the normal build (and the sanitizer build) keeps replaying what the fuzzers once found.
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "fuzz/fuzz_entries.h"

namespace {

using Entry = void (*)(const std::uint8_t*, std::size_t);

const std::map<std::string, Entry> kEntries{
    {"data_file", varnel::fuzz::RunDataFileReader},
    {"quantile_table", varnel::fuzz::RunQuantileTable},
    {"headless_analysis", varnel::fuzz::RunHeadlessAnalysis},
};

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 || kEntries.count(argv[1]) == 0) {
        std::cerr << "usage: corpus_replay data_file|quantile_table|headless_analysis FOLDER\n";
        return 2;
    }
    const Entry entry = kEntries.at(argv[1]);
    int replayed = 0;
    for (const auto& item : std::filesystem::directory_iterator(argv[2])) {
        if (!item.is_regular_file()) continue;
        const std::vector<std::uint8_t> bytes = ReadBytes(item.path());
        entry(bytes.data(), bytes.size());
        ++replayed;
    }
    std::cout << "replayed " << replayed << " inputs of " << argv[2] << '\n';
    return replayed > 0 ? 0 : 1;
}
