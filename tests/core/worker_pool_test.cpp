#include "core/worker_pool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <new>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace varnel {
namespace {

TEST(RunInParallel, RunsEveryPartOnce) {
    for (const int parts : {0, 1, ParallelWidth(), 3 * ParallelWidth() + 1, 100}) {
        std::vector<std::atomic<int>> runs(static_cast<std::size_t>(parts));
        RunInParallel(parts, [&](int part) { runs[std::size_t(part)].fetch_add(1); });
        for (int part = 0; part < parts; ++part) EXPECT_EQ(runs[std::size_t(part)], 1) << part;
    }
}

// Every part of an inner run started from inside the parts of an outer run happens exactly once.
TEST(RunRangesInParallel, CoversEveryItemOnceInRangesOfTheGrain) {
    for (const int count : {0, 7, 100, 101, 1000}) {
        std::vector<std::atomic<int>> runs(static_cast<std::size_t>(count));
        RunRangesInParallel(count, 100, [&](int begin, int end) {
            EXPECT_EQ(begin % 100, 0);
            EXPECT_EQ(end, std::min(count, begin + 100));
            for (int i = begin; i < end; ++i) runs[std::size_t(i)].fetch_add(1);
        });
        for (const auto& run : runs) EXPECT_EQ(run.load(), 1) << count;
    }
}

TEST(RunInParallel, RunsARunStartedInsideAPartOnThatThread) {
    constexpr int kOuter = 4, kInner = 5;
    std::vector<std::atomic<int>> runs(kOuter * kInner);
    RunInParallel(kOuter, [&](int outer) {
        const std::thread::id self = std::this_thread::get_id();
        RunInParallel(kInner, [&](int inner) {
            EXPECT_EQ(std::this_thread::get_id(), self);
            runs[std::size_t(outer * kInner + inner)].fetch_add(1);
        });
    });
    for (std::size_t i = 0; i < runs.size(); ++i) EXPECT_EQ(runs[i], 1) << i;
}

// Two threads starting runs at once (a window's thread and a background bootstrap) each see all
// of their own parts once and none of the other's.
TEST(RunInParallel, ServesCallersOnSeveralThreadsAtOnce) {
    constexpr int kRepeats = 200, kParts = 7;
    const auto caller = [&](std::vector<std::atomic<int>>& runs) {
        for (int repeat = 0; repeat < kRepeats; ++repeat) {
            RunInParallel(kParts, [&](int part) { runs[std::size_t(part)].fetch_add(1); });
        }
    };
    std::vector<std::atomic<int>> first(kParts), second(kParts);
    std::thread other([&] { caller(second); });
    caller(first);
    other.join();
    for (int part = 0; part < kParts; ++part) {
        EXPECT_EQ(first[std::size_t(part)], kRepeats) << part;
        EXPECT_EQ(second[std::size_t(part)], kRepeats) << part;
    }
}

// A part that throws (on whichever thread) ends the run with the exception of the lowest-numbered
// part that threw, rethrown on the caller once every part below it has run; the pool then serves
// the next run as before.
TEST(RunInParallel, RethrowsTheLowestNumberedPartsExceptionOnTheCaller) {
    struct Case {
        int parts;
        std::vector<int> throwing;
        bool outOfMemory;
    };
    const Case cases[] = {{200, {37, 150}, false}, {200, {0}, true}, {ParallelWidth(), {1}, false}};
    for (const Case& c : cases) {
        std::vector<std::atomic<int>> runs(static_cast<std::size_t>(c.parts));
        std::string caught;
        try {
            RunInParallel(c.parts, [&](int part) {
                runs[std::size_t(part)].fetch_add(1);
                if (std::find(c.throwing.begin(), c.throwing.end(), part) == c.throwing.end())
                    return;
                if (c.outOfMemory) throw std::bad_alloc();
                throw std::runtime_error(std::to_string(part));
            });
        } catch (const std::bad_alloc&) {
            caught = "bad_alloc";
        } catch (const std::runtime_error& error) {
            caught = error.what();
        }
        const int first = c.throwing.front();
        EXPECT_EQ(caught, c.outOfMemory ? "bad_alloc" : std::to_string(first));
        for (int part = 0; part < first; ++part) EXPECT_EQ(runs[std::size_t(part)], 1) << part;
    }
    std::vector<std::atomic<int>> after(100);
    RunInParallel(100, [&](int part) { after[std::size_t(part)].fetch_add(1); });
    for (std::size_t part = 0; part < after.size(); ++part) EXPECT_EQ(after[part], 1) << part;
}

}  // namespace
}  // namespace varnel
