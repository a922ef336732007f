#!/bin/sh
# check_players.sh DATATOOL PREFDIR
# What players.script left in the preference folder: "users.dat" holds Mira, current, timed,
# with hints off, and no Bram; "options.dat" holds the music volume moved up from 30.
set -eu
datatool=$1
pref=$2
"$datatool" decipher @users "$pref/users.dat" users.xml > /dev/null
"$datatool" check users.xml
fail() { echo "$1:"; cat "$2"; exit 1; }
grep -q 'current_user_profile_name="Mira"' users.xml || fail "Mira is not the current player" users.xml
grep -q '<userprofile name="Mira"><params><param name="ShowHints" value="no"/>' users.xml ||
  fail "Mira's hints are not off" users.xml
grep -q '<userprofile name="Mira">.*<datastorage>[^<]*play_mode=&quot;0&quot;' users.xml ||
  fail "Mira's play mode is not timed" users.xml
! grep -qi 'Bram' users.xml || fail "Bram was not deleted" users.xml
"$datatool" decipher @options "$pref/options.dat" options.xml > /dev/null
music=$(sed -n 's|.*<MusicVolume>\([0-9]*\)</MusicVolume>.*|\1|p' options.xml)
[ -n "$music" ] && [ "$music" -gt 30 ] || fail "the music volume was not moved up" options.xml
echo "users.dat and options.dat as the players left them (music $music)"
