#!/bin/sh
# run_game.sh PROGRAM SCRIPT [PLATFORM]
# Runs the built program on its program folder with a script, in the current folder, with a
# fresh preference folder "pref" there. The program's exit status is the test's; the sample
# game must also start without a single warning for its authors (lines "warning: ..." on
# stderr).
set -u
program=$1
script=$2
backend=${3:-headless}
rm -rf pref main-*.png options.xml stderr.txt
mkdir pref
GAME_PLATFORM=$backend GAME_SCRIPT=$script GAME_PREFERENCE_DIR=$(pwd)/pref "$program" 2>stderr.txt
status=$?
cat stderr.txt >&2
if grep -q '^warning: ' stderr.txt; then
  echo "the sample game gave warnings (above)" >&2
  [ "$status" -ne 0 ] || status=1
fi
exit $status
