#!/bin/sh
# check_levels.sh DATATOOL PREFDIR
# What levels.script left in the preference folder: Mira's total is t1's and t2's (the lost
# try added nothing); the timed high-score table holds her row with that total; the level
# records of levels 1 and 2 (timed) are hers.
set -eu
datatool=$1
pref=$2
fail() { echo "$1:"; cat "$2"; exit 1; }
"$datatool" decipher @users "$pref/users.dat" users.xml > /dev/null
total=$(sed -n 's/.*&lt;usergamedata Level=&quot;[0-9]*&quot; scores=&quot;\([0-9]*\)&quot;.*/\1/p' users.xml)
[ -n "$total" ] && [ "$total" -gt 0 ] || fail "Mira has no total" users.xml
"$datatool" decipher @highscores "$pref/highscores.dat" highscores.xml > /dev/null
"$datatool" check highscores.xml
timed=$(sed -n 's|.*<recordtable name="0">\(.*\)</recordtable><recordtable name="1">.*|\1|p' highscores.xml)
echo "$timed" | grep -q "<param name=\"Score\">$total</param><param name=\"Player\">Mira</param>" ||
  fail "the timed table has no row of Mira's total $total" highscores.xml
"$datatool" decipher @records "$pref/records.dat" records.xml > /dev/null
"$datatool" check records.xml
for level in 1 2; do
  grep -q "<levelrecordtable name=\"0\"><levelrecords>.*<levelrecord name=\"$level\"><params><param name=\"Score\" value=\"[0-9]*\"/><param name=\"Scorename\" value=\"Mira\"/>" records.xml ||
    fail "level $level has no record of Mira's" records.xml
done
echo "Mira's total $total in users.dat and the timed high scores; her records of levels 1 and 2"
