#!/usr/bin/env bash
# Builds and runs the page server's request fuzzers: the in-process one
# through the routes, then the one over loopback, on the same seeds.
#   tools/fuzz/bridge/run.sh [BUILD_DIR [SECONDS]]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../../.." && pwd)"
build=${1:-$root/build-fuzz}
seconds=${2:-${RAVLIN_FUZZ_SECONDS:-20}}
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" --preset fuzz >/dev/null
fi
cmake --build "$build" --target bridge_routes_fuzzer bridge_socket_fuzzer -j2 >/dev/null
for fuzzer in bridge_routes_fuzzer bridge_socket_fuzzer; do
  bash "$root/tools/run-fuzzers.sh" "$build/bin/$fuzzer" "$here/corpus" "$seconds"
done
