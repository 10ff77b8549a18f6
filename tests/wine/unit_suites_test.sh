#!/usr/bin/env bash
# The system's unit suites that test its own code through fakes, built as
# Windows programs (tools/build-windows.sh builds them into
# build-win64/bin), run under Wine, each in a fresh prefix.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
bin=${RAVLIN_WIN64_BUILD:-$top/build-win64}/bin
suites=$(cd "$bin" 2>/dev/null && ls *_tests.exe 2>/dev/null)
[ -n "$suites" ] || { echo "skipped: no $bin/*_tests.exe"; exit 77; }
for suite in $suites; do
  new_prefix "${suite%.exe}" >/dev/null
  started=$(date +%s)
  (cd "$bin" && "$WINE" "$suite" --gtest_brief=1) >"$scratch/$suite.log" 2>&1
  rc=$?
  "$WINESERVER" -w
  summary=$(grep -E '^\[  (PASSED|FAILED)  \]' "$scratch/$suite.log" | head -2 | tr '\n' ' ')
  if [ $rc -eq 0 ]; then
    pass "$suite: $summary($(( $(date +%s) - started )) s)"
  else
    fail "$suite (exit $rc): $summary"
    tail -30 "$scratch/$suite.log"
  fi
  end_prefix
done
finish
