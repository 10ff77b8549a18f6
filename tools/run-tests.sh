#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the whole suite,
# then the unit tests again under AddressSanitizer and UBSan, then each
# fuzzer for a bounded time.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh

echo "== build and run all tests"
bash tools/build.sh build
(cd build && ctest --output-on-failure -j2 --timeout 600)

echo "== sanitizer build (address, undefined): unit tests"
bash tools/build.sh build-asan -DRAVLIN_SANITIZE=ON -DRAVLIN_BENCHMARKS=OFF
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
   ctest --output-on-failure -j2 -L unit --timeout 600)

if [ -x tools/run-fuzzers.sh ] || [ -f tools/run-fuzzers.sh ]; then
  echo "== fuzzers"
  bash tools/run-fuzzers.sh
fi
