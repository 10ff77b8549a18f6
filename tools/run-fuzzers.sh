#!/usr/bin/env bash
# Runs libFuzzer targets for a bounded time.
#
#   tools/run-fuzzers.sh FUZZER CORPUS [SECONDS]
#       runs one fuzzer binary on a copy of the seed corpus folder (the seeds
#       in the repository are never written to); a *.dict file beside the
#       corpus folder is used as its dictionary.
#   tools/run-fuzzers.sh
#       builds the fuzzers with clang into build-fuzz/ (the fuzz preset) and
#       runs each as a CTest test of the label fuzz (as many at once as there
#       are cores); each names its corpus where it is registered.
#
# SECONDS defaults to $RAVLIN_FUZZ_SECONDS, else 20 (CI runs each fuzzer
# that long; long runs are done by hand with a larger value). A crash, leak or
# sanitizer report fails the run; the reproducer is kept in the work folder.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds_default=${RAVLIN_FUZZ_SECONDS:-20}

if [ $# -ge 2 ]; then
  fuzzer=$1
  corpus=$2
  seconds=${3:-$seconds_default}
  work=$(mktemp -d "${TMPDIR:-/tmp}/ravlin-fuzz-XXXXXX")
  mkdir -p "$work/corpus" "$work/artifacts"
  cp -r "$corpus"/. "$work/corpus/"
  dict=()
  for d in "$(dirname "$corpus")"/*.dict; do
    [ -f "$d" ] && dict=(-dict="$d")
  done
  echo "fuzzing $(basename "$fuzzer") for ${seconds}s (work folder $work)"
  if "$fuzzer" "${dict[@]}" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
       -artifact_prefix="$work/artifacts/" -print_final_stats=1 "$work/corpus" > "$work/log" 2>&1; then
    tail -n 15 "$work/log"
    rm -rf "$work"
  else
    tail -n 60 "$work/log"
    echo "FUZZER FAILED: $(basename "$fuzzer"); reproducer in $work/artifacts" >&2
    exit 1
  fi
  exit 0
fi

if [ $# -ne 0 ]; then
  echo "usage: $0 [FUZZER CORPUS [SECONDS]]" >&2
  exit 2
fi
if ! command -v clang++ >/dev/null; then
  echo "clang++ not found: fuzzers skipped"
  exit 0
fi
# Every fuzzer is built first, in one build (the fuzz preset, build-fuzz/);
# then CTest runs them (label fuzz) as many at a time as there are cores
# (each is one process on one core).
cd "$root"
if command -v ccache >/dev/null; then
  export RAVLIN_LAUNCHER=ccache
fi
export RAVLIN_FUZZ_SECONDS=$seconds_default
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j"$(nproc)" >/dev/null
ctest --preset fuzz -j"$(nproc)"
