#!/usr/bin/env bash
# Builds and runs the machine profile fuzzer.
#   tools/fuzz/profile/run.sh [BUILD_DIR [SECONDS]]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../../.." && pwd)"
build=${1:-$root/build-fuzz}
seconds=${2:-${RAVLIN_FUZZ_SECONDS:-20}}
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" --preset fuzz >/dev/null
fi
cmake --build "$build" --target profile_fuzzer -j2 >/dev/null
bash "$root/tools/run-fuzzers.sh" "$build/bin/profile_fuzzer" "$here/corpus" "$seconds"
