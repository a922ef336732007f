#!/bin/sh
# check_menus.sh DATATOOL PREFDIR
# What menus.script left in the preference folder: Mira's story went on with the second
# case (its offer used up), t6 plays the cellar it was offered (the offer gone), and the
# cleared high scores were saved.
set -eu
datatool=$1
pref=$2
fail() { echo "$1:"; cat "$2"; exit 1; }
"$datatool" decipher @users "$pref/users.dat" users.xml > /dev/null
"$datatool" check users.xml
grep -q 'name=&quot;currentcase&quot; value=&quot;stylist_case&quot;' users.xml ||
  fail "the second case is not current" users.xml
grep -q 'case name=&quot;stylist_case&quot;&gt;&lt;params&gt;&lt;param name=&quot;select_case_names&quot; value=&quot;&quot;' users.xml ||
  fail "the second case still offers itself" users.xml
grep -q 'task name=&quot;t6&quot; tasktype=&quot;5&quot;&gt;&lt;params&gt;&lt;param name=&quot;scenename&quot; value=&quot;cellar&quot;' users.xml ||
  fail "t6 does not play the cellar" users.xml
! grep -q 'select_scene_names' users.xml || fail "t6 still offers its scenes" users.xml
[ -f "$pref/highscores.dat" ] || { echo "the cleared high scores were not saved"; exit 1; }
# The game writes no high scores by itself: the file is the clear's.
"$datatool" decipher @highscores "$pref/highscores.dat" highscores.xml > /dev/null
"$datatool" check highscores.xml
echo "users.dat and highscores.dat as the pickers and the clear left them"
