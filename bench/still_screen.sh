#!/usr/bin/env bash
# still_screen.sh [BUILD_DIR] [RUNS]
# The processor time the sample game takes on a screen that does not change, in a window
# of a virtual X display (Xvfb): the game goes to its diary with a new player (Ann of the
# end-to-end tests: her first letter, then the list of cases), and once it has stayed
# there a moment its process's user plus system time is read over 5 s. Printed as a share of one core per run, and the median.
# Run it by hand on an optimised build.
set -euo pipefail
. "$(dirname "$0")/median.sh"
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-build/release}")
runs=${2:-5}
program=$build/game/tavelor2
datatool=$build/tools/datatool
[[ -x $program ]] || { echo "no program at $program (build $build first)" >&2; exit 1; }
command -v Xvfb > /dev/null || { echo "Xvfb is needed (apt-get install xvfb)" >&2; exit 1; }
work=$(mktemp -d)
display=:$(( 90 + RANDOM % 500 ))
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp > /dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2> /dev/null; rm -rf "$work"' EXIT
sleep 1
cat > "$work/still.script" << 'SCRIPT'
wait-screen GS_Splash 30000
wait 6000
click 512 700
wait-screen GS_Main 30000
wait 500
click 512 360
wait 3000
click 512 650
wait-screen GS_Diary 10000
move 1000 600
wait 3000
screenshot still.png
wait 12000
quit
SCRIPT
ticks=$(getconf CLK_TCK)
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
shares=()
for ((i = 0; i < runs; ++i)); do
  rm -rf "$work/pref" "$work/still.png"
  mkdir "$work/pref"
  "$datatool" encipher @users "$top/tests/e2e/player_ann.xml" "$work/pref/users.dat" > /dev/null
  (cd "$work" && DISPLAY=$display GAME_PLATFORM=sdl GAME_SCRIPT=$work/still.script \
     GAME_PREFERENCE_DIR=$work/pref exec "$program" > /dev/null 2> "$work/stderr") &
  game=$!
  for ((w = 0; w < 600; ++w)); do
    [[ -f $work/still.png ]] && break
    sleep 0.1
  done
  [[ -f $work/still.png ]] || { echo "the game never reached its still screen" >&2; cat "$work/stderr" >&2; exit 1; }
  before=$(cpu_ticks $game)
  start=$(date +%s.%N)
  sleep 5
  after=$(cpu_ticks $game)
  end=$(date +%s.%N)
  wait $game || true
  shares+=("$(echo "scale=1; 100 * ($after - $before) / $ticks / ($end - $start)" | bc)")
done
median=$(median "${shares[@]}")
echo "runs (% of a core): ${shares[*]}"
echo "still screen in a window: median ${median}% of a core over 5 s, $runs runs"
echo "load: $(uptime)"
