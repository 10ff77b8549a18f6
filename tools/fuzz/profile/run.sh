#!/usr/bin/env bash
# Builds and runs the machine profile fuzzer.
#   tools/fuzz/profile/run.sh [BUILD_DIR [SECONDS]]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../../.." && pwd)"
build=${1:-$root/build-fuzz}
seconds=${2:-${RAVLIN_FUZZ_SECONDS:-20}}
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
    -DCMAKE_CXX_COMPILER=clang++ -DRAVLIN_FUZZERS=ON -DRAVLIN_TESTS=OFF -DRAVLIN_BENCHMARKS=OFF >/dev/null
fi
cmake --build "$build" --target profile_fuzzer -j2 >/dev/null
bash "$root/tools/run-fuzzers.sh" "$build/bin/profile_fuzzer" "$here/corpus" "$seconds"
