#!/bin/sh
# check_voodoo.sh DATATOOL PREFDIR RESULT
# What the voodoo page's game left in "users.dat": Mira's story keeps the game's RESULT
# ("won" or "skipped") and the thirteen dolls found.
set -u
datatool=$1
pref=$2
result=$3
. "$(dirname "$0")/mira_story.sh"
grep -q "<param name=\"voodoo_minigame\" value=\"$result\"/>" story.xml ||
  fail "the voodoo game's result is not \"$result\""
dolls=$(sed -n 's|.*<usergamedata[^>]* finded_voodoo="\([^"]*\)".*|\1|p' story.xml | tr ';' '\n' | grep -c .)
[ "$dolls" -eq 13 ] || fail "$dolls dolls found, not 13"
echo "users.dat: the voodoo game $result, 13 dolls kept"
