#!/bin/sh
# run_game.sh PROGRAM SCRIPT [PLATFORM]
# Runs the built program on its program folder with a script, in the current folder, with a
# fresh preference folder "pref" there. The program's exit status is the test's.
set -u
program=$1
script=$2
backend=${3:-headless}
rm -rf pref main-*.png options.xml
mkdir pref
GAME_PLATFORM=$backend GAME_SCRIPT=$script GAME_PREFERENCE_DIR=$(pwd)/pref "$program"
