#!/usr/bin/env bash
# Builds and runs the .reg loader's fuzzer.
#   platform/registry/fuzz/run.sh [BUILD_DIR [SECONDS]]
# BUILD_DIR is a build folder configured with clang and -DRAVLIN_FUZZERS=ON
# (default build-fuzz, configured here from the fuzz preset when missing).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../../.." && pwd)"
build=${1:-$root/build-fuzz}
seconds=${2:-${RAVLIN_FUZZ_SECONDS:-60}}
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" --preset fuzz >/dev/null
fi
cmake --build "$build" --target reg_file_fuzzer -j2 >/dev/null
bash "$root/tools/run-fuzzers.sh" "$build/bin/reg_file_fuzzer" "$here/corpus" "$seconds"
