#!/bin/sh
# command_line.sh PROGRAM
# --help and --version answer and end with status 0, a misuse is refused with status 2:
# all without a display (the game itself cannot start here, which the last run shows),
# and without making or touching anything in the home folder, where the player's files
# would live.
set -u
program=$1
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# A fresh home, no display, the window backend, nothing that names another folder.
run() {
  env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER -u XDG_DATA_HOME -u XDG_CONFIG_HOME \
    -u GAME_PREFERENCE_DIR -u GAME_SCRIPT HOME="$home" GAME_PLATFORM=sdl \
    "$program" "$@" > "$home.out" 2> "$home.err"
  status=$?
  out=$(cat "$home.out")
  err=$(cat "$home.err")
  rm -f "$home.out" "$home.err"
}
untouched() {
  [ -z "$(ls -A "$home")" ] || fail "$1: the home folder was written to: $(ls -A "$home")"
}

run --help
[ $status -eq 0 ] || fail "--help: exit $status: $err"
[ -z "$err" ] || fail "--help: said on stderr: $err"
for part in "Usage: tavelor2 [-changepath NAME]" "--version" "GAME_PLATFORM=sdl|headless" \
    "GAME_SCRIPT=FILE" "GAME_RANDOM_SEED=N" "GAME_PREFERENCE_DIR=FOLDER" \
    "$home/.local/share/OstrelGames/Tavelor2/" "The game's data: $(cd "$(dirname "$program")" && pwd -P)/"; do
  case $out in
    *"$part"*) ;;
    *) fail "--help does not say \"$part\"" ;;
  esac
done
untouched --help

run --version
[ $status -eq 0 ] || fail "--version: exit $status: $err"
echo "$out" | grep -Eqx 'tavelor2 [0-9]+(\.[0-9]+)*' || fail "--version printed: $out"
untouched --version

for misuse in "--fullscreen" "-changepath" "-changepath a b" "play"; do
  # shellcheck disable=SC2086 # the words of a misuse are separate arguments
  run $misuse
  [ $status -eq 2 ] || fail "$misuse: exit $status, not 2"
  [ -z "$out" ] || fail "$misuse: printed on stdout: $out"
  case $err in
    "tavelor2: "*'Try "tavelor2 --help".') ;;
    *) fail "$misuse: said: $err" ;;
  esac
  untouched "$misuse"
done
run --fullscreen
case $err in
  *'unknown option "--fullscreen"'*) ;;
  *) fail "an unknown option is not named" ;;
esac

# The game itself needs the display this environment lacks.
run
[ $status -eq 1 ] || fail "the game started without a display: exit $status"

[ $failures -eq 0 ] && echo "all passed"
exit $failures
