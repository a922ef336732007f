#!/bin/sh
# check_options.sh DATATOOL PREFDIR [NAME=VALUE...]
# The options the game stored on its way: "options.dat" deciphers with the options key to
# an XML document holding the mirrored options, with the values given.
set -eu
datatool=$1
pref=$2
test -f "$pref/options.dat" || { echo "no options.dat in $pref"; exit 1; }
"$datatool" decipher @options "$pref/options.dat" options.xml
"$datatool" check options.xml
for option in MusicVolume SoundVolume FullScreenMode; do
  grep -q "<$option>" options.xml || { echo "options.dat lacks $option:"; cat options.xml; exit 1; }
done
shift 2
for expected in "$@"; do
  option=${expected%%=*}
  value=${expected#*=}
  grep -q "<$option>$value</$option>" options.xml || { echo "options.dat lacks $option=$value:"; cat options.xml; exit 1; }
done
