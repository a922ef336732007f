#!/bin/sh
# check_case2.sh DATATOOL PREFDIR
# What case2_end.script left in "users.dat": Mira current, her story started anew by the
# final comic (the first case current, no task done, the journal, clients and dolls
# emptied), and her total kept with the cellar's points on top of the 6100 she came with.
set -u
datatool=$1
pref=$2
. "$(dirname "$0")/mira_story.sh"
. "$(dirname "$0")/story_anew.sh"
total=$(sed -n 's|.*<usergamedata[^>]* scores="\([0-9]*\)".*|\1|p' story.xml)
[ -n "$total" ] && [ "$total" -gt 6100 ] || fail "the total lost the cellar's points or the old ones"
[ -f "$pref/records.dat" ] || { echo "the cellar's record was not written"; exit 1; }
echo "users.dat: the story anew, total $total kept"
