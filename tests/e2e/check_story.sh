#!/bin/sh
# check_story.sh DATATOOL PREFDIR
# What the three runs of case 1 (story_1..3.script) left in "users.dat": Mira current, her
# story with t1, t2 and t3 done, Odile matched, the journal's notes in order, the thirteen dolls
# found, case 2 current and a total of points above nothing.
set -u
datatool=$1
pref=$2
. "$(dirname "$0")/mira_story.sh"
for task in t1 t2 t3; do
  grep -q "<task name=\"$task\"[^>]* completed=\"yes\"" story.xml || fail "$task is not done"
done
grep -q '<task name="t4"[^>]* completed="yes"' story.xml && fail "t4 is done"
grep -q 'matched_clients="odile;\?"' story.xml || fail "Odile is not matched"
grep -q 'journal="note_lantern;note_garden;\?"' story.xml || fail "the journal is not the lantern's and the garden's notes"
dolls=$(sed -n 's|.*<usergamedata[^>]* finded_voodoo="\([^"]*\)".*|\1|p' story.xml | tr ';' '\n' | grep -c .)
[ "$dolls" -eq 13 ] || fail "$dolls dolls found, not the atelier's eleven and the market's two"
grep -q '<param name="currentcase" value="stylist_case"/>' story.xml || fail "case 2 is not current"
total=$(sed -n 's|.*<usergamedata[^>]* scores="\([0-9]*\)".*|\1|p' story.xml)
[ -n "$total" ] && [ "$total" -gt 0 ] || fail "no points in the total"
echo "users.dat: case 1 done, Odile matched, notes and dolls kept, total $total"
