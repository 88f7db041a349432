// varnel-cli as a whole process: wall time and peak memory (the child's maximum resident set)
// on 10000-ellipse files whose first simplex run converges or whose 11 runs all end on the
// evaluation limit, the cost of small runs against `--help`, and a 37-megapixel grain
// map against ImageMagick's convert.
// `--varnel_cli=PATH` runs another build of the program, such as one from before a change, so
// that both can be measured side by side.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/bench_data.h"

extern char** environ;

namespace varnel::bench {
namespace {

std::string cliPath = VARNEL_CLI;

// What the kernel accounted for one finished run of the program.
struct ChildRun {
    int exitStatus = -1;
    long peakKiB = 0;
    double cpuSeconds = 0;  // user + system
};

double Seconds(const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) * 1e-6; }

// Runs `program` with `arguments`, its output discarded.
ChildRun RunProgram(std::string program, const std::vector<std::string>& arguments) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv{program.data()};
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    pid_t child = 0;
    const int failed =
        posix_spawnp(&child, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed) throw std::runtime_error("cannot start " + program);
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, usage.ru_maxrss,
            Seconds(usage.ru_utime) + Seconds(usage.ru_stime)};
}

ChildRun RunCli(const std::vector<std::string>& arguments) {
    return RunProgram(cliPath, arguments);
}

// The peak memory in KiB of a run that must succeed.
long RunCliOn(const std::string& file) {
    const ChildRun run = RunCli({file});
    if (run.exitStatus != 0) throw std::runtime_error("varnel-cli failed");
    return run.peakKiB;
}

void BM_VarnelCli(benchmark::State& run) {
    const std::string file = SyntheticFile(10000, unsigned(run.range(0)));
    long peak = 0;
    for (auto _ : run) peak = std::max(peak, RunCliOn(file));
    run.counters["peak_MiB"] = double(peak) / 1024.0;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Small runs against `--help` (which loads nothing), in processor time, pair by pair: a
// synthetic set of `count` ellipses from `seed`. The seeds marked so make the minimiser end all
// 11 simplex runs on the evaluation limit. Target: run_over_help (the median of the pairs'
// ratios) at most 1.5 for every set of 50 ellipses or fewer.
void BM_SmallRunOverHelp(benchmark::State& run) {
    const std::string file = SyntheticFile(int(run.range(0)), unsigned(run.range(1)));
    std::vector<double> help, small, ratios;
    for (auto _ : run) {
        help.push_back(RunCli({"--help"}).cpuSeconds);
        const ChildRun smallRun = RunCli({file});
        if (smallRun.exitStatus != 0) throw std::runtime_error("varnel-cli failed");
        small.push_back(smallRun.cpuSeconds);
        ratios.push_back(help.back() > 0 ? small.back() / help.back() : 0);
    }
    run.counters["help_cpu_ms"] = Median(help) * 1e3;
    run.counters["run_cpu_ms"] = Median(small) * 1e3;
    run.counters["run_over_help"] = Median(ratios);
}

// A file of one 200 MB line: the reader keeps no more of a line than a datum or its message
// needs. Target: peak_MiB under 64.
void BM_OneLongLine(benchmark::State& run) {
    const std::filesystem::path file = std::filesystem::temp_directory_path() /
                                       ("varnel-bench-long-line-" + std::to_string(::getpid()));
    {
        std::ofstream out(file, std::ios::binary);
        out << "1.5,";
        const std::string block(1 << 20, '7');
        for (int i = 0; i < 200; ++i) out << block;
        out << "\n";
    }
    long peak = 0;
    for (auto _ : run) {
        const ChildRun longLine = RunCli({file.string()});
        if (longLine.exitStatus != 1) throw std::runtime_error("varnel-cli took the line");
        peak = std::max(peak, longLine.peakKiB);
    }
    std::filesystem::remove(file);
    run.counters["peak_MiB"] = double(peak) / 1024.0;
}

BENCHMARK(BM_OneLongLine)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// GeoJSON files that a parser would hold whole: 20 MB of "[" inside coordinates (0), an unclosed
// collection followed by 127 MiB of blanks (1), and one ring of 2^20 − 1 vertices, whose shape
// is checked (2). Targets: peak_MiB under 32 for the first two, under 128 for the ring.
void BM_HostileGeoJson(benchmark::State& run) {
    const std::filesystem::path file = std::filesystem::temp_directory_path() /
                                       ("varnel-bench-geojson-" + std::to_string(::getpid()));
    {
        std::ofstream out(file, std::ios::binary);
        out << "{\"type\": \"FeatureCollection\", \"features\": [";
        if (run.range(0) == 0) {
            out << "{\"type\": \"Feature\", \"geometry\": {\"type\": \"Polygon\", "
                   "\"coordinates\": "
                << std::string(20'000'000, '[');
        } else if (run.range(0) == 1) {
            const std::string block(1 << 20, ' ');
            for (int i = 0; i < 127; ++i) out << block;
        } else {
            out << "{\"type\": \"Feature\", \"geometry\": {\"type\": \"Polygon\", "
                   "\"coordinates\": [[";
            // A 3:1 ellipse-gon, written to 17 digits so that it stays a simple ring, of as
            // many vertices as are checked.
            constexpr int kVertices = (1 << 20) - 1;
            out.precision(17);
            for (int k = 0; k <= kVertices; ++k) {
                const double t = 2 * std::numbers::pi * (k % kVertices) / kVertices;
                out << (k ? ", [" : "[") << 3 * std::cos(t) << ", " << std::sin(t) << "]";
            }
            out << "]]}}]}";
        }
    }
    long peak = 0;
    for (auto _ : run) peak = std::max(peak, RunCli({file.string()}).peakKiB);
    std::filesystem::remove(file);
    run.counters["peak_MiB"] = double(peak) / 1024.0;
}

BENCHMARK(BM_HostileGeoJson)
    ->ArgName("file")
    ->DenseRange(0, 2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);

// A grain map of 7400 × 5000 pixels (37 megapixels, 8-bit grey) with 5000 grains, written
// once per process by the grain-map generator.
std::string BigGrainMap() {
    static const std::string path = [] {
        const std::string file = (std::filesystem::temp_directory_path() /
                                  ("varnel-bench-grains-" + std::to_string(::getpid()) + ".png"))
                                     .string();
        if (RunProgram(VARNEL_GRAIN_GENERATOR, {file, "7400", "5000", "5000"}).exitStatus != 0) {
            throw std::runtime_error("make_grain_image failed");
        }
        return file;
    }();
    return path;
}

// The grain map from the PNG file to the report (0) against ImageMagick's convert decoding it
// and writing it as PGM (1). Targets: varnel-cli's wall time at most convert's; its peak_MiB
// at most three times the decoded image (decoded_MiB, one byte a pixel).
void BM_BigGrainMap(benchmark::State& run) {
    const std::string map = BigGrainMap();
    const std::string pgm = map + ".pgm";
    long peak = 0;
    for (auto _ : run) {
        const ChildRun child =
            run.range(0) == 0 ? RunCli({map}) : RunProgram("convert", {map, pgm});
        if (child.exitStatus != 0) throw std::runtime_error("the run failed");
        peak = std::max(peak, child.peakKiB);
    }
    std::filesystem::remove(pgm);
    run.counters["peak_MiB"] = double(peak) / 1024.0;
    run.counters["decoded_MiB"] = 7400.0 * 5000.0 / (1 << 20);
}

BENCHMARK(BM_BigGrainMap)
    ->ArgName("convert")
    ->DenseRange(0, 1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

BENCHMARK(BM_SmallRunOverHelp)
    ->ArgNames({"count", "seed"})
    ->Args({3, 1})
    ->Args({3, 2})  // all restarts
    ->Args({12, kConvergingSeed})
    ->Args({12, 16})  // all restarts
    ->Args({30, 9})   // all restarts
    ->Args({50, 1})
    ->Args({50, 4})  // all restarts
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(21);

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
