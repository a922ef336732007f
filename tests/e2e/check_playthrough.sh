#!/bin/sh
# check_playthrough.sh DATATOOL PREFDIR STORY
# What a run of the playthrough (playthrough_1..3.script) left in the preference folder,
# where STORY is "case1" (case 1 done, as check_story.sh has it: after run 1) or "anew"
# (the story started anew by the final comic, story_anew.sh: after runs 2 and 3). Always:
# Mira current and timed, no Bram; the level records of timed play (table 0) hers, one for
# every level won; her total in "users.dat" the sum of those levels' scores and their
# bonuses (time from the records, hints and misses as the scripts make them), and her row
# of the timed high scores at that total; "options.dat" holding the options.
set -u
datatool=$1
pref=$2
story=$3
here=$(dirname "$0")
. "$here/mira_story.sh"
grep -q '<usergamedata [^>]*play_mode="0"' story.xml || fail "Mira's play is not timed"

# The levels won by then, in the order played, with the hints used and the
# wrong clicks made in each: the atelier's one hint; no miss in a level won. The level
# counter goes up by one a task settled and to the next ten for a new case (case 1 plays
# levels 1 to 3, case 2 levels 10 to 12); starting the story anew keeps it.
case $story in
  case1) levels="1 2 3" hints="1 0 0" misses="0 0 0" level=10 ;;
  anew) levels="1 2 3 10 11 12" hints="1 0 0 0 0 0" misses="0 0 0 0 0 0" level=12 ;;
  *) echo "$story: no such state of the story"; exit 1 ;;
esac
case $story in
  case1)
    sh "$here/check_story.sh" "$datatool" "$pref" || exit 1
    # The story keeps what each task's play counted: the hints and misses above.
    counted_hints="" counted_misses=""
    for task in t1 t2 t3; do
      params=$(sed -n "s|.*<task name=\"$task\"[^>]*>\(.*\)|\1|p" story.xml | sed 's|</task>.*||')
      counted_hints="$counted_hints $(echo "$params" | sed -n 's|.*<param name="hints_used" value="\([0-9]*\)"/>.*|\1|p')"
      counted_misses="$counted_misses $(echo "$params" | sed -n 's|.*<param name="wrong_clicks" value="\([0-9]*\)"/>.*|\1|p')"
    done
    [ "$counted_hints" = " $hints" ] && [ "$counted_misses" = " $misses" ] ||
      fail "the tasks counted hints$counted_hints and misses$counted_misses"
    ;;
  *) . "$here/story_anew.sh" ;;
esac
! grep -qi 'Bram' users.xml || fail "Bram was not deleted"
grep -q "<usergamedata Level=\"$level\"" story.xml || fail "the level counter is not $level"

# The records of timed play, one line each: level, score, time in seconds, whose.
"$datatool" decipher @records "$pref/records.dat" records.xml > /dev/null || { echo "records.dat does not decipher"; exit 1; }
"$datatool" check records.xml || exit 1
sed 's|<levelrecordtable |\n&|g' records.xml | grep '^<levelrecordtable name="0">' |
  sed 's|</levelrecord>|&\n|g' |
  sed -n 's|.*<levelrecord name="\([0-9]*\)"><params><param name="Score" value="\([0-9]*\)"/><param name="Scorename" value="\([^"]*\)"/><param name="time" value="\([0-9]*\)"/>.*|\1 \2 \4 \3|p' > records.txt
won=$(echo $levels | wc -w)
[ "$(cut -d' ' -f1 records.txt | tr '\n' ' ')" = "$levels " ] || { echo "not the records of levels $levels:"; cat records.xml; exit 1; }
! grep -qv ' Mira$' records.txt || { echo "a record is not Mira's:"; cat records.txt; exit 1; }
# The statistics' bonuses: by time (under 1, 2, 4, 8 minutes), by hints and by misses
# (none, 1, 2, 3).
expected=$(awk -v hints="$hints" -v misses="$misses" '
  function count_bonus(n) { return n == 0 ? 2000 : n == 1 ? 1000 : n == 2 ? 500 : n == 3 ? 250 : 0 }
  function time_bonus(s) { return s < 60 ? 2000 : s < 120 ? 1000 : s < 240 ? 500 : s < 480 ? 250 : 0 }
  BEGIN { split(hints, h, " "); split(misses, m, " ") }
  { total += $2 + time_bonus($3) + count_bonus(h[NR]) + count_bonus(m[NR]) }
  END { print total }' records.txt)
total=$(sed -n 's|.*<usergamedata[^>]* scores="\([0-9]*\)".*|\1|p' story.xml)
[ "$total" = "$expected" ] || { echo "total $total, not the levels' $expected:"; cat records.txt; exit 1; }

"$datatool" decipher @highscores "$pref/highscores.dat" highscores.xml > /dev/null || { echo "highscores.dat does not decipher"; exit 1; }
"$datatool" check highscores.xml || exit 1
sed -n 's|.*<recordtable name="0">\(.*\)</recordtable><recordtable name="1">.*|\1|p' highscores.xml |
  grep -q "<param name=\"Score\">$total</param><param name=\"Player\">Mira</param>" ||
  { echo "the timed high scores have no row of Mira's $total:"; cat highscores.xml; exit 1; }
sh "$here/check_options.sh" "$datatool" "$pref" || exit 1
echo "$story: Mira timed, level $level, $won levels recorded, total $total; high scores and options"
