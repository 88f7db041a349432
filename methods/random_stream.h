#pragma once

#include <cstdint>

namespace varnel::methods {

/// A portable stream of 64-bit draws: SplitMix64 (Steele, Lea & Flood 2014), integer arithmetic
/// modulo 2⁶⁴ only, so every machine draws the same sequence.
///   start: state = Mix(seed · 2³² + stream)
///   draw:  state = state + 0x9E3779B97F4A7C15; return Mix(state)
///   Mix(z): z = (z ⊕ z≫30) · 0xBF58476D1CE4E5B9; z = (z ⊕ z≫27) · 0x94D049BB133111EB; z ⊕ z≫31
/// Each bootstrap resample b draws from stream b, each simulated set j of the symmetry tests from
/// stream kSymmetryNullStreams + 1 + j, so no result depends on which thread made it.
class RandomStream {
public:
    RandomStream(std::uint32_t seed, std::uint32_t stream);

    /// A stream whose state is `state` before its first draw.
    static RandomStream FromState(std::uint64_t state);

    /// The next 64 random bits.
    std::uint64_t Next();

    /// A uniform integer in 0 … n − 1 (n ≥ 1) by rejection: draws x until x ≥ 2⁶⁴ mod n, then
    /// returns x mod n; the accepted range holds a whole multiple of n values.
    std::uint32_t Below(std::uint32_t n);

private:
    std::uint64_t state_;
};

/// First stream of the symmetry tests' simulated sets; bootstrap resamples use the streams below.
inline constexpr std::uint32_t kSymmetryNullStreams = 0x80000000u;

}  // namespace varnel::methods
