#!/bin/sh
# check_display.sh PROGRAM SCRIPT WINDOW_GEOMETRY FULL_GEOMETRY
# Runs the program through SDL on the X display of the test with a script that takes the
# screenshots win.png and full.png of the game's frame and then waits. Meanwhile it dumps
# the whole display (win.xwd, full.xwd) and checks where the game's window lies, as
# xwininfo gives it (WIDTHxHEIGHT+X+Y). The program's exit status must be 0 too.
set -u
program=$1
script=$2
rm -rf pref win.png full.png win.xwd full.xwd
mkdir pref
# A current player (E2E_PROFILES, as run_game.sh seeds it): the main menu asks for no name.
if [ -n "${E2E_PROFILES:-}" ]; then
  "$E2E_DATATOOL" encipher @users "$E2E_PROFILES" pref/users.dat > /dev/null || exit 1
fi
GAME_PLATFORM=sdl GAME_SCRIPT=$script GAME_PREFERENCE_DIR=$(pwd)/pref "$program" &
pid=$!
failed=0

# capture NAME GEOMETRY: once the script has saved NAME.png, the window and the display.
capture() {
  while [ ! -f "$1.png" ]; do
    if ! kill -0 $pid 2>/dev/null; then
      echo "the program ended before $1.png"
      failed=1
      return
    fi
    sleep 0.2
  done
  sleep 1
  window=$(xwininfo -root -tree | grep '("tavelor2" "tavelor2")')
  case "$window" in
    *" $2 "*) ;;
    *) echo "$1: the window is not at $2: $window"; failed=1 ;;
  esac
  xwd -root -silent > "$1.xwd" || failed=1
}

capture win "$3"
capture full "$4"
wait $pid || failed=1
exit $failed
