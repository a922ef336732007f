#!/bin/sh
# stop_request.sh PROGRAM DATATOOL BACKEND SIGNAL...
# A stop request from the system (SIGTERM at logout or shutdown, SIGINT from the terminal)
# ends the built program as its own quit does: sent once the main menu shows, the program
# ends by itself with status 0, no question asked, and saves the player's files on the way
# (a users.dat seeded in a form the game does not write comes back in the game's own).
# Each signal gets a run of its own, in the current folder (stderr kept).
set -u
program=$1
datatool=$2
backend=$3
shift 3
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
# Real time through a window: the splash screen takes its time to load.
cat > stop.script <<'SCRIPT'
wait-screen GS_Splash 30000
wait 15000
click 512 700
wait-screen GS_Main 30000
screenshot stop-ready.png
wait 100000000
SCRIPT
printf '<userprofiles current_user_profile_name="Ann" unknown="1"><userprofile name="Ann"><params/></userprofile></userprofiles>' > seed.xml
printf '<userprofiles current_user_profile_name="Ann"><userprofile name="Ann"><params/></userprofile></userprofiles>' > saved.xml
# Tenths of a second the program is given to end by itself: far above what it takes
# (sanitizers and all), far below a person answering a question.
limit=150

for signal in "$@"; do
  rm -rf "pref-$signal" stop-ready.png
  mkdir "pref-$signal"
  "$datatool" encipher @users seed.xml "pref-$signal/users.dat" > /dev/null
  # The signals as a session sends them: not ignored, as a shell's background job's are.
  GAME_PLATFORM=$backend GAME_SCRIPT=stop.script GAME_PREFERENCE_DIR="$(pwd)/pref-$signal" \
    env --default-signal=INT,TERM "$program" 2> "$signal.stderr" &
  pid=$!
  waited=0
  while [ ! -f stop-ready.png ] && kill -0 $pid 2> /dev/null && [ $waited -lt 1200 ]; do
    sleep 0.1
    waited=$((waited + 1))
  done
  if [ ! -f stop-ready.png ]; then
    fail "$signal: the main menu never showed: $(cat "$signal.stderr")"
    kill -KILL $pid 2> /dev/null
    wait $pid
    continue
  fi
  kill -"$signal" $pid
  waited=0
  while kill -0 $pid 2> /dev/null && [ $waited -lt $limit ]; do
    sleep 0.1
    waited=$((waited + 1))
  done
  if kill -0 $pid 2> /dev/null; then
    fail "$signal: still running $((limit / 10)) s after the request"
    kill -KILL $pid
  fi
  wait $pid
  status=$?
  echo "$signal: ended in about $((waited * 100)) ms, status $status"
  [ $status -eq 0 ] || fail "$signal: exit $status: $(cat "$signal.stderr")"
  "$datatool" decipher @users "pref-$signal/users.dat" "$signal.users.xml" > /dev/null ||
    fail "$signal: users.dat does not decipher"
  cmp -s saved.xml "$signal.users.xml" ||
    fail "$signal: the players were not saved: users.dat holds $(cat "$signal.users.xml")"
done

[ $failures -eq 0 ] && echo "all passed"
exit $failures
