#!/usr/bin/env bash
# Installs what is missing, checks the formatting, builds Varnel and runs every test: once in
# the normal build, and once more in a build checked by AddressSanitizer and
# UndefinedBehaviorSanitizer (build-asan, built by clang, which compiles it faster than GCC;
# -O1 to keep it quick; any report fails its test). Both builds treat warnings as errors. Both
# keep line tables only (-g1): enough for the sanitizers' and a crash's stack traces, where full
# debug information costs a fifth to a quarter more compile time and ten times the object size.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-dependencies.sh"
"$root/scripts/check-format.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_COMPILE_WARNING_AS_ERROR=ON -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG"
cmake --build "$root/build" -j"$(nproc)"
ctest --test-dir "$root/build" --output-on-failure -j"$(nproc)"

sanitizers="-fsanitize=address,undefined -fno-sanitize-recover=undefined"
cmake -S "$root" -B "$root/build-asan" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVARNEL_BUILD_BENCH=OFF \
  -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_COMPILE_WARNING_AS_ERROR=ON -DCMAKE_CXX_FLAGS_DEBUG=-g1 \
  -DCMAKE_CXX_FLAGS="-O1 -fno-omit-frame-pointer $sanitizers" \
  -DCMAKE_EXE_LINKER_FLAGS="$sanitizers"
cmake --build "$root/build-asan" -j"$(nproc)"
# A failed allocation returns null as it does outside the sanitizer (the out-of-memory paths
# are tested); the one suppression is a leak inside glibc's setlocale.
ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1 UBSAN_OPTIONS=print_stacktrace=1 \
  LSAN_OPTIONS=suppressions="$root/tests/sanitizers/lsan.supp" \
  ctest --test-dir "$root/build-asan" --output-on-failure -j"$(nproc)"
