#!/bin/sh
# check_story.sh DATATOOL PREFDIR
# What the three runs of case 1 (story_1..3.script) left in "users.dat": Mira current, her
# story with t1, t2 and t3 done, Odile matched, the journal's notes in order, the doll
# found, case 2 current and a total of points above nothing.
set -u
datatool=$1
pref=$2
"$datatool" decipher @users "$pref/users.dat" users.xml > /dev/null || { echo "users.dat does not decipher"; exit 1; }
"$datatool" check users.xml || exit 1
fail() { echo "$1:"; cat story.xml; exit 1; }
grep -q 'current_user_profile_name="Mira"' users.xml || { echo "Mira is not current:"; cat users.xml; exit 1; }
# Her story is the text of her "datastorage", escaped once.
sed -n 's|.*<userprofile name="Mira">.*<datastorage>\(.*\)</datastorage>.*|\1|p' users.xml |
  sed 's/&lt;/</g; s/&gt;/>/g; s/&quot;/"/g; s/&apos;/'"'"'/g; s/&amp;/\&/g' > story.xml
[ -s story.xml ] || fail "Mira has no story"
"$datatool" check story.xml || fail "Mira's story is no XML"
for task in t1 t2 t3; do
  grep -q "<task name=\"$task\"[^>]* completed=\"yes\"" story.xml || fail "$task is not done"
done
grep -q '<task name="t4"[^>]* completed="yes"' story.xml && fail "t4 is done"
grep -q 'matched_clients="odile;\?"' story.xml || fail "Odile is not matched"
grep -q 'journal="note_lantern;note_garden;\?"' story.xml || fail "the journal is not the lantern's and the garden's notes"
grep -q 'finded_voodoo="doll_moth;\?"' story.xml || fail "the doll is not found"
grep -q '<param name="currentcase" value="stylist_case"/>' story.xml || fail "case 2 is not current"
total=$(sed -n 's|.*<usergamedata[^>]* scores="\([0-9]*\)".*|\1|p' story.xml)
[ -n "$total" ] && [ "$total" -gt 0 ] || fail "no points in the total"
echo "users.dat: case 1 done, Odile matched, notes and doll kept, total $total"
