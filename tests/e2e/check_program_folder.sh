#!/bin/sh
# check_program_folder.sh DATATOOL GAMEDIR
# The program folder is complete: every file is found as the game finds it (through the
# resource file tree, archives standing in for folders), the enciphered files decipher with
# the engine key and parse.
set -eu
datatool=$1
cd "$2"
test -x tavelor2 || { echo "no program in $2"; exit 1; }
test -f data/sounds.vkd || { echo "no data/sounds.vkd"; exit 1; }
test ! -e data/sounds || { echo "data/sounds must be packed, not a folder"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for ini in 'data\ini\Tavelor2.ini' 'data\ini\resources_start.ini' 'data\ini\resources_main.ini' \
    'data\ini\resources_minigames.ini'; do
  "$datatool" cat "$ini" > "$work/hex"
  "$datatool" decipher @engine "$work/hex" "$work/plain.xml"
  "$datatool" check "$work/plain.xml"
done
"$datatool" cat 'data\ini\Tavelor2.ini' > "$work/hex"
"$datatool" decipher @engine "$work/hex" "$work/game.xml"
grep -q 'name="GS_Main"' "$work/game.xml"
"$datatool" check lang/default.lng
# Every file a resource list names, except those in the program's own archive.
for ini in 'data\ini\resources_start.ini' 'data\ini\resources_main.ini' \
    'data\ini\resources_minigames.ini'; do
  "$datatool" cat "$ini" > "$work/hex"
  "$datatool" decipher @engine "$work/hex" "$work/list.xml"
  grep -o 'file="[^"]*"' "$work/list.xml" | sed 's/^file="//; s/"$//' | grep -v '^res:' |
    while read -r file; do
      "$datatool" cat "$file" > /dev/null || { echo "missing: $file"; exit 1; }
    done
done
# The gameplay's plain documents, the play screen's window, and every file the scenes name.
for doc in 'data\ini\scenes.ini' 'data\ini\participants.ini' 'data\ini\categories.ini' \
           'data\ini\scenarios\default.ini' 'data\screens\game.xml'; do
  "$datatool" cat "$doc" > "$work/doc.xml"
  "$datatool" check "$work/doc.xml"
done
grep -o 'filename="[^"]*"' data/ini/scenes.ini | sed 's/^filename="//; s/"$//' |
  while read -r scene; do
    "$datatool" cat "$scene" > "$work/scene.xml" || { echo "missing: $scene"; exit 1; }
    grep -o 'file="[^"]*"' "$work/scene.xml" | sed 's/^file="//; s/"$//' |
      while read -r file; do
        "$datatool" cat "$file" > /dev/null || { echo "missing: $file"; exit 1; }
      done
  done
# The glyph tables the fonts lean on.
"$datatool" check data/fonts/title.xml
"$datatool" check data/fonts/small.xml
echo "program folder complete"
