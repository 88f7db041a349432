#include "methods/random_stream.h"

namespace varnel::methods {

namespace {

constexpr std::uint64_t kGolden = 0x9E3779B97F4A7C15ull;

std::uint64_t Mix(std::uint64_t z) {
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

}  // namespace

RandomStream::RandomStream(std::uint32_t seed, std::uint32_t stream)
    : state_(Mix((std::uint64_t{seed} << 32) + stream)) {}

RandomStream RandomStream::FromState(std::uint64_t state) {
    RandomStream stream(0, 0);
    stream.state_ = state;
    return stream;
}

std::uint64_t RandomStream::Next() {
    state_ += kGolden;
    return Mix(state_);
}

std::uint32_t RandomStream::Below(std::uint32_t n) {
    const std::uint64_t wide = n;
    const std::uint64_t threshold = (0 - wide) % wide;  // 2⁶⁴ mod n
    std::uint64_t x = Next();
    while (x < threshold) x = Next();
    return std::uint32_t(x % wide);
}

}  // namespace varnel::methods
