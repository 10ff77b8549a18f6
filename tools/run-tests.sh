#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test:
#   0. the system's folders compiled against MinGW-w64's Windows headers,
#      then the Windows deliverables, the installer and the Windows
#      unit-suite programs (tools/build-windows.sh);
#   1. a 32-bit build of the program, for the hand-over test under WOW64;
#   2. the whole suite (unit, browser end-to-end, hand-over);
#   3. the unit tests again under AddressSanitizer and UBSan;
#   4. the suites that start threads under ThreadSanitizer;
#   5. the Wine tests (tests/wine/run.sh), with the modem emulator of step 2;
#   6. each fuzzer for a bounded time (RAVLIN_FUZZ_SECONDS, default 20).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
started=$(date +%s)
stage() { echo; echo "== $1 ($(( $(date +%s) - started ))s)"; }

stage "system folders against the Windows headers (x86_64, i686)"
bash tools/check-windows-headers.sh

stage "Windows deliverables and installer (dist/)"
bash tools/build-windows.sh

stage "32-bit build of the program"
cmake -S . -B build32 -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_FLAGS=-m32 -DCMAKE_CXX_FLAGS=-m32 \
  -DRAVLIN_TESTS=OFF -DRAVLIN_BENCHMARKS=OFF >/dev/null
cmake --build build32 -j"$(nproc)" --target Ravlin

stage "build and run all tests"
bash tools/build.sh build -DRAVLIN_PROGRAM_32="$PWD/build32/bin/Ravlin" \
  -DRAVLIN_CAPTURE_EXE="$PWD/build-win64/bin/ravlin-capture.exe"
# The suites that start threads must pass at the first attempt; the others
# (browser and hand-over tests among them) get one retry.
threaded=(plat_kernel_tests plat_modemfw_tests plat_serial_tests plat_tapi_tests tapiline_tests
          framework_tests engine_tests engine_machine_tests engine_fault_tests ravlin_ui_tests ravlin_trace_tests)
threaded_re="^($(IFS='|'; echo "${threaded[*]}"))\$"
(cd build && ctest --output-on-failure -j2 --timeout 600 -R "$threaded_re" &&
   ctest --output-on-failure -j2 --timeout 600 --repeat until-pass:2 -E "$threaded_re")

stage "sanitizer build (address, undefined): unit tests"
# At -O1 with line tables only (what the reports need), and only the unit
# suites with what they run: the program, the browser tests and the tools do
# not run under this sanitizer. Both shorten this stage's build.
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRAVLIN_SANITIZE=ON -DRAVLIN_BENCHMARKS=OFF \
  "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG" "-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG" >/dev/null
mapfile -t unit_suites < <(cd build-asan && ctest -N -L unit | sed -n 's/^ *Test *#[0-9]*: //p')
cmake --build build-asan -j"$(nproc)" --target "${unit_suites[@]}"
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
   ctest --output-on-failure -j2 -L unit --timeout 600)

stage "ThreadSanitizer build: the suites that start threads"
cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRAVLIN_TSAN=ON -DRAVLIN_BENCHMARKS=OFF \
  "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG" "-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG" >/dev/null
cmake --build build-tsan -j"$(nproc)" --target "${threaded[@]}"
(cd build-tsan && TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$PWD/../tools/tsan.supp" \
   ctest --output-on-failure -j2 --timeout 300 -R "$threaded_re")

stage "Wine tests (the installer, the applet, the program, the Windows unit suites)"
bash tests/wine/run.sh

if [ -f tools/run-fuzzers.sh ]; then
  stage "fuzzers"
  bash tools/run-fuzzers.sh
fi
stage "done"
