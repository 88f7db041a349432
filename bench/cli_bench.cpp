// varnel-cli as a whole process on 10000-ellipse files: wall time and peak memory (the child's
// maximum resident set) for a file whose first simplex run converges and one whose 11 runs all
// end on the evaluation limit. `--varnel_cli=PATH` runs another build of the program, such as
// one from before a change, so that both can be measured side by side.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/bench_data.h"

extern char** environ;

namespace varnel::bench {
namespace {

std::string cliPath = VARNEL_CLI;

// Runs the program on `file` with its output discarded; returns the child's peak memory in KiB.
long RunCli(const std::string& file) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv{cliPath.data(), const_cast<char*>(file.c_str()), nullptr};
    pid_t child = 0;
    const int failed =
        posix_spawn(&child, cliPath.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed) throw std::runtime_error("cannot start " + cliPath);
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error("varnel-cli failed");
    return usage.ru_maxrss;
}

void BM_VarnelCli(benchmark::State& run) {
    const std::string file = SyntheticFile(10000, unsigned(run.range(0)));
    long peak = 0;
    for (auto _ : run) peak = std::max(peak, RunCli(file));
    run.counters["peak_MiB"] = double(peak) / 1024.0;
}

BENCHMARK(BM_VarnelCli)
    ->ArgName("seed")
    ->Arg(kConvergingSeed)
    ->Arg(kWorstCaseSeed)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace varnel::bench

int main(int argc, char** argv) {
    std::vector<char*> rest;
    for (int i = 0; i < argc; ++i) {
        constexpr const char* kOption = "--varnel_cli=";
        if (std::strncmp(argv[i], kOption, std::strlen(kOption)) == 0) {
            varnel::bench::cliPath = argv[i] + std::strlen(kOption);
        } else {
            rest.push_back(argv[i]);
        }
    }
    int restCount = int(rest.size());
    benchmark::Initialize(&restCount, rest.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
