#include "bench/bench_data.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <stdexcept>

#include "input/data_file.h"

namespace varnel::bench {

namespace {

// The folder of this process's data files, removed when the benchmark ends.
class DataFolder {
public:
    DataFolder()
        : path_(std::filesystem::temp_directory_path() /
                ("varnel-bench-" + std::to_string(::getpid()))) {
        std::filesystem::create_directories(path_);
    }
    ~DataFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

}  // namespace

std::string SyntheticFile(int count, unsigned seed, const std::string& options) {
    static const DataFolder folderOwner;
    const std::filesystem::path& folder = folderOwner.Path();
    const std::filesystem::path file =
        folder / ("synthetic-" + std::to_string(count) + "-" + std::to_string(seed) + "-" +
                  std::to_string(std::hash<std::string>{}(options)) + ".csv");
    if (!std::filesystem::exists(file)) {
        const std::string command = std::string(VARNEL_SYNTHETIC_GENERATOR) + " '" + file.string() +
                                    "' --count " + std::to_string(count) + " --seed " +
                                    std::to_string(seed) + " " + options;
        if (std::system(command.c_str()) != 0) throw std::runtime_error("generator failed");
    }
    return file.string();
}

std::unique_ptr<AnalysisState> LoadDataFile(const std::string& path) {
    auto state = std::make_unique<AnalysisState>();
    if (ChooseAndCountDataFile(*state, path) != CountOutcome::Counted ||
        !ParseDataFile(*state, '.').ok) {
        throw std::runtime_error("cannot read " + path);
    }
    return state;
}

std::unique_ptr<AnalysisState> SyntheticState(int count, unsigned seed) {
    return LoadDataFile(SyntheticFile(count, seed));
}

}  // namespace varnel::bench
