#!/bin/sh
# check_window_icon.sh PROGRAM SCRIPT SIZE
# Runs the program through SDL on the X display of the test with a script that waits, and
# checks that its window carries the program's icon for the desktop (_NET_WM_ICON, as
# xprop shows it: "Icon (SIZE):"). The program's exit status must be 0 too.
set -u
program=$1
script=$2
size=$3
pref=$(mktemp -d)
trap 'rm -rf "$pref"' EXIT
GAME_PLATFORM=sdl GAME_SCRIPT=$script GAME_PREFERENCE_DIR=$pref "$program" &
pid=$!
icon=""
while kill -0 $pid 2>/dev/null; do
  icon=$(xprop -name tavelor2 _NET_WM_ICON 2>/dev/null | head -n 1)
  case $icon in *"Icon ($size)"*) break ;; esac
  sleep 0.2
done
wait $pid || { echo "the program failed"; exit 1; }
case $icon in
  *"Icon ($size)"*) echo "the window's icon: $size" ;;
  *) echo "the window has no icon of $size: $icon"; exit 1 ;;
esac
