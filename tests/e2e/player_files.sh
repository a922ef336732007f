#!/bin/sh
# player_files.sh DATATOOL PROGRAM GAMEDIR GROUP
# The player's files through whole runs of the built program, each with a preference
# folder of its own under the current folder (kept afterwards, with the run's stderr), in
# groups run apart: "plain" (fresh, seeded, damaged), "attack" (attack-*), "kept" (unread,
# twice) and "large" (large-*):
#   fresh    nothing seeded: the main menu asks for a new player's name; a "users.dat"
#            holding an empty list is left, and no high-score or record file (the game
#            never saves those itself);
#   seeded   a "users.dat" with a player comes back as it was;
#   damaged  damaged "users.dat", "highscores.dat" and "records.dat": the game still
#            reaches its main menu (which asks for a name), stderr names each file, each
#            copy holds the seeded
#            bytes, and the program folder's "highscores.dat" is untouched;
#   attack-* a player's progress naming a game file as its storage ("_outstorage"): a
#            story is stored (on a program folder of its own) and every game file stays
#            byte for byte, the warning naming users.dat and the player;
#   unread   progress that is no XML: kept in the profile under "damaged_progress";
#   twice    a player named twice: the first kept, the file as it was copied aside;
#   large    a users.dat over 8 MiB is moved aside and deciphers; one just under it is
#            not saved when a story would make it larger, and the next run reads it.
set -u
datatool=$1
program=$2
game=$3
group=$4
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
# Without a player the main menu opens the new player's screen over itself at once.
for screen in GS_Main GS_NewUser; do
  printf 'wait-screen GS_Splash 20000\nwait 1500\nclick 512 700\nwait-screen %s 20000\nquit\n' \
    $screen > $screen.script
done
# "Start": the diary begins the current player's story and stores it.
printf 'wait-screen GS_Splash 20000\nwait 1500\nclick 512 700\nwait-screen GS_Main 20000\nwait 700\nclick 512 360\nwait-screen GS_Letter 6000\nquit\n' \
  > Start.script

# run NAME [SCRIPT [PROGRAM]]: the game on the preference folder NAME (seeded by the caller)
# up to the end of SCRIPT (the main menu's new player's screen), stderr kept.
run() {
  GAME_PLATFORM=headless GAME_SCRIPT=${2:-GS_NewUser}.script GAME_PREFERENCE_DIR="$(pwd)/$1" \
    "${3:-$program}" 2> "$1.stderr"
  status=$?
  [ $status -eq 0 ] || fail "$1: exit $status: $(cat "$1.stderr")"
}

# seed NAME XML: a preference folder NAME whose users.dat holds XML (NAME.xml kept).
seed() {
  rm -rf "$1"
  mkdir "$1"
  printf '%s' "$2" > "$1.xml"
  "$datatool" encipher @users "$1.xml" "$1/users.dat" > /dev/null
}

# said NAME TEXT: the run's stderr holds TEXT.
said() {
  grep -q -F "$2" "$1.stderr" || fail "$1: stderr does not say '$2': $(cat "$1.stderr")"
}

# users NAME: the list of players the run left, deciphered into NAME.users.xml.
users() {
  "$datatool" decipher @users "$1/users.dat" "$1.users.xml" > /dev/null ||
    fail "$1: users.dat does not decipher"
}

rm -rf fresh seeded damaged attack-* unread twice large-* ./*.stderr ./*.xml

if [ "$group" = plain ]; then
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

fi

if [ "$group" = attack ]; then
for case in 'game {data\ini\Tavelor2.ini}\cryptkey=@engine' 'participants {data\ini\participants.ini}'; do
  name=attack-${case%% *}
  target=${case#* }
  # A program folder of its own: what a bad run writes there stays there.
  rm -rf game-copy
  mkdir game-copy
  for entry in "$game"/*; do
    [ "$entry" = "$program" ] || cp -R "$entry" game-copy/
  done
  ln "$program" game-copy/ 2> /dev/null || cp "$program" game-copy/
  copy=game-copy/$(basename "$program")
  seed $name "<userprofiles current_user_profile_name=\"Ann\"><userprofile name=\"Ann\"><params/><datastorage>&lt;usergamedata Level=&quot;3&quot; _outstorage=&quot;file=$target&quot;/&gt;</datastorage></userprofile></userprofiles>"
  run $name Start "$copy"
  for entry in "$game"/*; do
    [ "$entry" = "$program" ] || diff -r "$entry" "game-copy/$(basename "$entry")" > /dev/null ||
      fail "$name: the game's $(basename "$entry") changed"
  done
  said $name 'warning: users.dat: player "Ann": progress: "_outstorage" (1 element) dropped'
  users $name
  grep -q 'c1_lantern' $name.users.xml || fail "$name: no story stored: $(cat $name.users.xml)"
  grep -q '_outstorage' $name.users.xml && fail "$name: users.dat names a storage"
done
fi

if [ "$group" = kept ]; then
seed unread '<userprofiles current_user_profile_name="Ann"><userprofile name="Ann"><params/><datastorage>level 50, 123456 points</datastorage></userprofile></userprofiles>'
run unread Start
said unread 'warning: users.dat: player "Ann": progress not read ('
said unread 'its text is kept in the profile as the parameter "damaged_progress"'
users unread
grep -q '<param name="damaged_progress" value="level 50, 123456 points"/>' unread.users.xml ||
  fail "unread: the old progress is gone: $(cat unread.users.xml)"
grep -q 'c1_lantern' unread.users.xml || fail "unread: no new story: $(cat unread.users.xml)"

first='<userprofile name="Ann"><params/><datastorage>&lt;usergamedata Level=&quot;50&quot; scores=&quot;123456&quot;/&gt;</datastorage></userprofile>'
seed twice "<userprofiles current_user_profile_name=\"Ann\">$first<userprofile name=\"Ann\"><params/><datastorage>&lt;usergamedata Level=&quot;2&quot;/&gt;</datastorage></userprofile></userprofiles>"
cp twice/users.dat twice.seeded.dat
run twice GS_Main
said twice "warning: $(pwd)/twice/users.dat: player \"Ann\" is named more than once: only the first of each name is kept; the file as it was is copied to $(pwd)/twice/users.dat.damaged"
cmp -s twice.seeded.dat twice/users.dat.damaged || fail "twice: the copy differs"
users twice
[ "$(cat twice.users.xml)" = "<userprofiles current_user_profile_name=\"Ann\">$first</userprofiles>" ] ||
  fail "twice: users.dat holds $(cat twice.users.xml)"
fi

if [ "$group" = large ]; then

# Players whose file (two hexadecimal digits a byte) is BYTES long: Ann, current, with no
# story yet, and a long-standing player's progress making up the rest.
players_of() {
  head=$(printf '<userprofiles current_user_profile_name="Ann"><userprofile name="Ann"><params/></userprofile><userprofile name="Old"><params/><datastorage>')
  tail='</datastorage></userprofile></userprofiles>'
  printf '%s%s%s' "$head" "$(head -c $(($1 / 2 - ${#head} - ${#tail})) /dev/zero | tr '\0' x)" "$tail"
}
limit=$((8 * 1024 * 1024))
seed large-over "$(players_of $((limit + 2048)))"
cp large-over/users.dat large-over.seeded.dat
run large-over
said large-over "warning: $(pwd)/large-over/users.dat: damaged ("
cmp -s large-over.seeded.dat large-over/users.dat.damaged || fail "large-over: the copy differs"
"$datatool" decipher @users large-over/users.dat.damaged large-over.copy.xml > /dev/null &&
  cmp -s large-over.xml large-over.copy.xml || fail "large-over: the copy does not decipher"
seed large-under "$(players_of $((limit - 2048)))"
run large-under Start
said large-under "warning: $(pwd)/large-under/users.dat: not saved (larger than 8 MiB"
users large-under
cmp -s large-under.xml large-under.users.xml || fail "large-under: users.dat changed"
mv large-under.stderr large-under-first.stderr
run large-under GS_Main
! grep -q damaged large-under.stderr || fail "large-under: $(cat large-under.stderr)"
fi

[ $failures -eq 0 ] && echo "all passed"
exit $failures
