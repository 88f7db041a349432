#include "methods/random_stream.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <set>

namespace varnel::methods {
namespace {

TEST(RandomStream, DrawsThePublishedSplitMix64Sequence) {
    // Reference outputs of SplitMix64 from the state 1234567.
    RandomStream random = RandomStream::FromState(1234567);
    for (std::uint64_t expected :
         {6457827717110365317ull, 3203168211198807973ull, 9817491932198370423ull,
          4593380528125082431ull, 16408922859458223821ull}) {
        EXPECT_EQ(random.Next(), expected);
    }
}

TEST(RandomStream, RepeatsEachStreamAndSeparatesStreamsAndSeeds) {
    const auto firstDraws = [](std::uint32_t seed, std::uint32_t stream) {
        RandomStream random(seed, stream);
        return std::array<std::uint64_t, 3>{random.Next(), random.Next(), random.Next()};
    };
    EXPECT_EQ(firstDraws(1, 0), firstDraws(1, 0));
    std::set<std::array<std::uint64_t, 3>> distinct;
    for (std::uint32_t seed : {0u, 1u, 2u}) {
        for (std::uint32_t stream : {0u, 1u, 2u, kSymmetryNullStreams})
            distinct.insert(firstDraws(seed, stream));
    }
    EXPECT_EQ(distinct.size(), 12u);
}

TEST(RandomStream, DrawsEveryIntegerBelowTheBoundEquallyOften) {
    // n = 3 · 2³⁰ leaves 2⁶⁴ mod n large, where a plain x mod n would favour the lower residues.
    struct Case {
        std::uint32_t n;
        int classes;
    };
    for (const Case c : {Case{1, 1}, Case{3, 3}, Case{252, 4}, Case{3u << 30, 3}}) {
        RandomStream random(7, 0);
        std::array<int, 4> counts{};
        constexpr int kDraws = 30000;
        for (int i = 0; i < kDraws; ++i) {
            const std::uint32_t x = random.Below(c.n);
            ASSERT_LT(x, c.n);
            ++counts[std::size_t(std::uint64_t(x) * std::uint64_t(c.classes) / c.n)];
        }
        // Each class expects kDraws / classes; 5 standard deviations of a binomial count.
        for (int k = 0; k < c.classes; ++k) {
            const double expected = double(kDraws) / c.classes;
            EXPECT_NEAR(counts[std::size_t(k)], expected, 5.0 * std::sqrt(expected))
                << c.n << " class " << k;
        }
    }
}

}  // namespace
}  // namespace varnel::methods
