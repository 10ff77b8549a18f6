#!/usr/bin/env bash
# Runs every Wine test and prints how long each took. A test that finds its
# deliverable missing says so and counts as skipped (exit 77).
#   bash tests/wine/run.sh
set -uo pipefail
cd "$(dirname "$0")"
status=0
for test in images_test.sh installer_test.sh applet_test.sh program_test.py window_test.py unit_suites_test.sh; do
  echo "-- $test"
  started=$(date +%s)
  case $test in
    *.py) /usr/bin/python3 "$test" ;;
    *) bash "$test" ;;
  esac
  rc=$?
  case $rc in
    0) result=passed ;;
    77) result=skipped ;;
    *) result=FAILED; status=1 ;;
  esac
  echo "-- $test: $result ($(( $(date +%s) - started )) s)"
done
exit $status
