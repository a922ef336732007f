#!/bin/sh
# check_layout.sh LAYOUTCHECK DATATOOL SAMPLE_GAME FIXTURE WORK
# Makes a program folder in WORK from FIXTURE's game file, the shared resource list,
# language file and scene list, and the sample game's font and pictures; runs layoutcheck
# on it and compares what it reports with FIXTURE/expected.txt (none: nothing reported,
# exit 0; else exactly those lines, exit 1).
set -eu
layoutcheck=$1 datatool=$2 sample=$3 fixture=$4 work=$5
here=$(cd "$(dirname "$0")" && pwd)

rm -rf "$work"
mkdir -p "$work/data/ini" "$work/data/fonts" "$work/data/images" "$work/lang"
"$datatool" encipher @engine "$fixture/game.xml" "$work/data/ini/Tavelor2.ini"
"$datatool" encipher @engine "$here/resources.xml" "$work/data/ini/resources.ini"
cp "$here/default.lng" "$work/lang/default.lng"
cp "$here/scenes.ini" "$work/data/ini/scenes.ini"
cp "$sample/data/fonts/main.png" "$sample/data/fonts/main.xml" "$work/data/fonts/"
cp "$sample/data/images/star.png" "$sample/data/images/panel.png" "$work/data/images/"

status=0
"$layoutcheck" "$work" >"$work/reports.txt" 2>"$work/stderr.txt" || status=$?
cat "$work/reports.txt"
if [ -f "$fixture/expected.txt" ]; then
  want=1
  diff -u "$fixture/expected.txt" "$work/reports.txt"
else
  want=0
  diff -u /dev/null "$work/reports.txt"
fi
if [ "$status" -ne "$want" ]; then
  echo "layoutcheck exited $status, not $want"
  cat "$work/stderr.txt"
  exit 1
fi
