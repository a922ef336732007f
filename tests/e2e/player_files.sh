#!/bin/sh
# player_files.sh DATATOOL PROGRAM GAMEDIR
# The player's files through whole runs of the built program, each with a preference
# folder of its own under the current folder (kept afterwards, with the run's stderr):
#   fresh    nothing seeded: the main menu asks for a new player's name; a "users.dat"
#            holding an empty list is left, and no high-score or record file (the game
#            never saves those itself);
#   seeded   a "users.dat" with a player comes back as it was;
#   damaged  damaged "users.dat", "highscores.dat" and "records.dat": the game still
#            reaches its main menu (which asks for a name), stderr names each file, each
#            copy holds the seeded
#            bytes, and the program folder's "highscores.dat" is untouched.
set -u
datatool=$1
program=$2
game=$3
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
# Without a player the main menu opens the new player's screen over itself at once.
for screen in GS_Main GS_NewUser; do
  printf 'wait-screen GS_Splash 20000\nwait 1500\nclick 512 700\nwait-screen %s 20000\nquit\n' \
    $screen > $screen.script
done

# run NAME [SCREEN]: the game on the preference folder NAME (seeded by the caller) up to
# SCREEN (the main menu's new player's screen), stderr kept.
run() {
  GAME_PLATFORM=headless GAME_SCRIPT=${2:-GS_NewUser}.script GAME_PREFERENCE_DIR="$(pwd)/$1" \
    "$program" 2> "$1.stderr"
  status=$?
  [ $status -eq 0 ] || fail "$1: exit $status: $(cat "$1.stderr")"
}

# users NAME: the list of players the run left, deciphered into NAME.users.xml.
users() {
  "$datatool" decipher @users "$1/users.dat" "$1.users.xml" > /dev/null ||
    fail "$1: users.dat does not decipher"
}

rm -rf fresh seeded damaged ./*.stderr ./*.xml

mkdir fresh
run fresh
users fresh
[ "$(cat fresh.users.xml)" = "<userprofiles/>" ] ||
  fail "fresh: users.dat holds $(cat fresh.users.xml)"
for file in highscores.dat records.dat; do
  [ ! -e "fresh/$file" ] || fail "fresh: $file was written"
done
! grep -q damaged fresh.stderr || fail "fresh: $(cat fresh.stderr)"

mkdir seeded
cat > seeded.xml <<'XML'
<userprofiles current_user_profile_name="Ann"><userprofile name="Ann"><params><param name="ShowHints" value="no"/></params><datastorage>&lt;usergamedata level=&quot;3&quot;/&gt; 100% &amp; é</datastorage></userprofile><userprofile name="Bo"><params/></userprofile></userprofiles>
XML
printf '%s' "$(cat seeded.xml)" > seeded.plain.xml
"$datatool" encipher @users seeded.plain.xml seeded/users.dat > /dev/null
run seeded GS_Main
users seeded
cmp -s seeded.plain.xml seeded.users.xml ||
  fail "seeded: users.dat came back as $(cat seeded.users.xml)"

mkdir damaged
printf 'users, damaged' > damaged/users.dat
printf '<highscores/>' > wrongkey.xml
"$datatool" encipher @users wrongkey.xml damaged/highscores.dat > /dev/null
printf "<highscores><levelrecordtables/></highscores>" > records.xml
"$datatool" encipher @records records.xml records.full > /dev/null
head -c 40 records.full > damaged/records.dat
for file in users.dat highscores.dat records.dat; do cp "damaged/$file" "damaged.$file"; done
cp "$game/highscores.dat" default.highscores.dat
run damaged
for file in users.dat highscores.dat records.dat; do
  grep -q "warning: $(pwd)/damaged/$file: damaged (.*moved aside to $(pwd)/damaged/$file.damaged" \
    damaged.stderr || fail "damaged: stderr does not name $file and its copy: $(cat damaged.stderr)"
  cmp -s "damaged.$file" "damaged/$file.damaged" || fail "damaged: the copy of $file differs"
done
cmp -s default.highscores.dat "$game/highscores.dat" ||
  fail "damaged: the program folder's highscores.dat changed"
users damaged
[ "$(cat damaged.users.xml)" = "<userprofiles/>" ] ||
  fail "damaged: users.dat holds $(cat damaged.users.xml)"

[ $failures -eq 0 ] && echo "all passed"
exit $failures
