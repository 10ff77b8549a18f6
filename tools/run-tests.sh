#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test, stage by stage,
# through the presets of CMakePresets.json:
#   0. the system's folders against MinGW-w64's Windows headers (win64 and
#      win32, warnings fatal), then the Windows deliverables, the installer
#      and the Windows unit-suite programs (tools/build-windows.sh);
#   1. a 32-bit build of the program, for the hand-over test under WOW64
#      (linux32);
#   2. the whole suite (linux): the suites that start threads (label
#      threads) at the first attempt, then the rest; the browser suites
#      (label browser) run beside the sanitizer build of step 3;
#   3. the unit suites again under AddressSanitizer and UBSan (asan);
#   4. the suites that start threads under ThreadSanitizer (tsan);
#   5. the Wine tests (tests/wine/run.sh), with the modem emulator of step 2;
#   6. each fuzzer for a bounded time (fuzz; RAVLIN_FUZZ_SECONDS, default 20).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
jobs=$(nproc)
if command -v ccache >/dev/null; then
  export RAVLIN_LAUNCHER=ccache
fi
started=$(date +%s)
stage() { echo; echo "== $1 ($(( $(date +%s) - started ))s)"; }
configure() { cmake --preset "$1" >/dev/null; }
# The names of the tests of a build folder that carry a label.
tests_labelled() { (cd "$1" && ctest -N -L "$2" | sed -n 's/^ *Test *#[0-9]*: //p'); }

stage "system folders against the Windows headers (x86_64, i686)"
bash tools/check-windows-headers.sh

stage "Windows deliverables and installer (dist/)"
bash tools/build-windows.sh

stage "32-bit build of the program"
configure linux32
cmake --build --preset linux32 -j"$jobs"

stage "build and run all tests"
# With the 32-bit program of stage 1 and the capture tool of the Windows build.
cmake --preset linux -DRAVLIN_PROGRAM_32="$PWD/build32/bin/ravlin_handover32" \
  -DRAVLIN_CAPTURE_EXE="$PWD/build-win64/bin/ravlin-capture.exe" >/dev/null
cmake --build --preset linux -j"$jobs"
# The suites that start threads must pass at the first attempt; the others
# (the hand-over test among them) get one retry.
ctest --preset threads
ctest --preset linux --repeat until-pass:2 -LE 'threads|browser'
# The browser suites wait on Chromium and on the modem's own speed more than
# they compute: they run beside the next stage's build, their output kept
# until they end.
browser_log=$(mktemp)
ctest --preset linux --repeat until-pass:2 -L browser >"$browser_log" 2>&1 &
browser=$!

stage "sanitizer build (address, undefined): unit tests"
# At -O1 with line tables only (what the reports need), and only the unit
# suites with what they run: the program, the browser tests and the tools do
# not run under this sanitizer. Both shorten this stage's build.
configure asan
mapfile -t unit_suites < <(tests_labelled build-asan unit)
cmake --build --preset asan -j"$jobs" --target "${unit_suites[@]}"
browser_status=0
wait "$browser" || browser_status=$?
stage "browser suites (run beside the sanitizer build)"
cat "$browser_log"
rm -f "$browser_log"
[ "$browser_status" -eq 0 ] || { echo "browser suites failed" >&2; exit 1; }
ctest --preset asan

stage "ThreadSanitizer build: the suites that start threads"
configure tsan
mapfile -t threaded_suites < <(tests_labelled build-tsan threads)
cmake --build --preset tsan -j"$jobs" --target "${threaded_suites[@]}"
ctest --preset tsan

stage "Wine tests (the installer, the applet, the program, the Windows unit suites)"
bash tests/wine/run.sh

stage "fuzzers"
bash tools/run-fuzzers.sh
stage "done"
