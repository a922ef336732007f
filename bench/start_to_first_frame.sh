#!/usr/bin/env bash
# start_to_first_frame.sh [BUILD_DIR] [RUNS]
# The processor time of a whole process of the sample game that starts, shows its first
# frame and quits at once (headless backend, a script of one "quit"): user plus system
# time of each run, and their median. Run it by hand on an optimised build.
set -euo pipefail
. "$(dirname "$0")/median.sh"
build=$(realpath "${1:-build/release}")
runs=${2:-9}
program=$build/game/tavelor2
[[ -x $program ]] || { echo "no program at $program (build $build first)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
echo quit > "$work/quit.script"
mkdir "$work/pref"
times=()
for ((i = 0; i < runs; ++i)); do
  TIMEFORMAT='%3U %3S'
  t=$( { time GAME_PLATFORM=headless GAME_SCRIPT=$work/quit.script GAME_PREFERENCE_DIR=$work/pref \
           "$program" > /dev/null 2> "$work/stderr"; } 2>&1 )
  read -r user sys <<< "$t"
  times+=("$(echo "$user + $sys" | bc)")
done
median=$(median "${times[@]}")
echo "runs (s): ${times[*]}"
echo "start to first frame, processor time: median ${median} s of $runs runs"
echo "load: $(uptime)"
