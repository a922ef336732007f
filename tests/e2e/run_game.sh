#!/bin/sh
# run_game.sh PROGRAM SCRIPT [PLATFORM]
# Runs the built program on its program folder with a script, in the current folder, with a
# fresh preference folder "pref" there. The program's exit status is the test's; the sample
# game must also start without a single warning for its authors (lines "warning: ..." on
# stderr).
# The environment may seed the preference folder: E2E_PROFILES names a plain list of
# players (users.dat's XML) that E2E_DATATOOL enciphers into it, so that the main menu
# meets a player and asks for no name. E2E_KEEP_PREF=1 keeps the folder the run before
# left (a story played over several runs of the program).
set -u
program=$1
script=$2
backend=${3:-headless}
rm -f main-*.png options.xml stderr.txt
if [ "${E2E_KEEP_PREF:-0}" != 1 ]; then
  rm -rf pref
  mkdir pref
  if [ -n "${E2E_PROFILES:-}" ]; then
    "$E2E_DATATOOL" encipher @users "$E2E_PROFILES" pref/users.dat > /dev/null || exit 1
  fi
elif [ ! -d pref ]; then
  echo "no preference folder left by the run before" >&2
  exit 1
fi
GAME_PLATFORM=$backend GAME_SCRIPT=$script GAME_PREFERENCE_DIR=$(pwd)/pref "$program" 2>stderr.txt
status=$?
cat stderr.txt >&2
if grep -q '^warning: ' stderr.txt; then
  echo "the sample game gave warnings (above)" >&2
  [ "$status" -ne 0 ] || status=1
fi
exit $status
