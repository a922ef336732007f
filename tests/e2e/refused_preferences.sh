#!/bin/sh
# refused_preferences.sh PROGRAM GAMEDIR
# Preference folders the game must not use (a file in the folder's place; a folder everyone
# may write to, without the sticky bit): the game still reaches its main menu (which asks
# for a new player's name over itself), says
# which folder it refused and why, and writes no player file, neither there nor in the
# program folder.
set -u
program=$1
game=$2
work=$(mktemp -d)
trap 'chmod -R u+rwx "$work"; rm -rf "$work"' EXIT
cd "$work" || exit 1
printf 'wait-screen GS_Splash 20000\nwait 1500\nclick 512 700\nwait-screen GS_NewUser 20000\nquit\n' > main.script
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

printf 'not a folder' > pref-file
mkdir pref-open && chmod 0777 pref-open
for pref in pref-file pref-open; do
  touch marker
  sleep 1  # file times: what the run writes is newer than the marker
  GAME_PLATFORM=headless GAME_SCRIPT=main.script GAME_PREFERENCE_DIR="$work/$pref" \
    "$program" 2> err.txt
  status=$?
  [ $status -eq 0 ] || fail "$pref: exit $status: $(cat err.txt)"
  grep -q "$work/$pref: preference folder refused" err.txt ||
    fail "$pref: the refusal does not name the folder: $(cat err.txt)"
  [ "$(grep -c 'preference folder refused' err.txt)" -eq 1 ] || fail "$pref: said more than once"
  written=$(find "$game" "$work" -newer marker -type f ! -name err.txt)
  [ -z "$written" ] || fail "$pref: files written: $written"
done
[ "$(cat pref-file)" = "not a folder" ] || fail "the file in the folder's place was changed"
[ -z "$(ls -A pref-open)" ] || fail "the open folder was written to"

[ $failures -eq 0 ] && echo "all passed"
exit $failures
