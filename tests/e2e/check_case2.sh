#!/bin/sh
# check_case2.sh DATATOOL PREFDIR
# What case2_end.script left in "users.dat": Mira current, her story started anew by the
# final comic (the first case current, no task done, the journal, clients and dolls
# emptied), and her total kept with the cellar's points on top of the 6100 she came with.
set -u
datatool=$1
pref=$2
"$datatool" decipher @users "$pref/users.dat" users.xml > /dev/null || { echo "users.dat does not decipher"; exit 1; }
"$datatool" check users.xml || exit 1
fail() { echo "$1:"; cat story.xml; exit 1; }
grep -q 'current_user_profile_name="Mira"' users.xml || { echo "Mira is not current:"; cat users.xml; exit 1; }
sed -n 's|.*<userprofile name="Mira">.*<datastorage>\(.*\)</datastorage>.*|\1|p' users.xml |
  sed 's/&lt;/</g; s/&gt;/>/g; s/&quot;/"/g; s/&apos;/'"'"'/g; s/&amp;/\&/g' > story.xml
[ -s story.xml ] || fail "Mira has no story"
"$datatool" check story.xml || fail "Mira's story is no XML"
grep -q '<param name="currentcase" value="c1_lantern"/>' story.xml || fail "the first case is not current"
grep -q 'completed="yes"' story.xml && fail "something of the old story is still done"
for list in journal matched_clients finded_voodoo; do
  grep -q " $list=\"\"" story.xml || fail "the $list list is not emptied"
done
total=$(sed -n 's|.*<usergamedata[^>]* scores="\([0-9]*\)".*|\1|p' story.xml)
[ -n "$total" ] && [ "$total" -gt 6100 ] || fail "the total lost the cellar's points or the old ones"
[ -f "$pref/records.dat" ] || { echo "the cellar's record was not written"; exit 1; }
echo "users.dat: the story anew, total $total kept"
