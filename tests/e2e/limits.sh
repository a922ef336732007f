#!/bin/sh
# limits.sh DATATOOL GAMEDIR
# The sample game with data at the integer limits: every glyph of every font with its
# offsets, sizes and spacing at the limits of a 32-bit int, and the cursor's hot spot at
# them, in both directions. Built with the sanitizers, the program must reach its main
# menu (which, with no player yet, asks for a name over itself), take the mouse to the
# corners and end without a report.
set -u
datatool=$1
game=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
max=2147483647
min=-2147483648
cat > "$work/limits.script" <<'SCRIPT'
wait-screen GS_Splash 20000
wait 1500
click 512 700
wait-screen GS_NewUser 20000
move 0 0
wait 50
move 1023 767
wait 50
click 512 384
move -5 -5
wait 50
screenshot limits.png
quit
SCRIPT

for variant in high low; do
  copy=$work/$variant
  cp -R "$game" "$copy"
  if [ $variant = high ]; then a=$max b=$min; else a=$min b=$max; fi
  for table in "$copy"/data/fonts/*.xml; do
    sed -i -E "s/ left=\"-?[0-9]+\"/ left=\"$a\"/g; s/ top=\"-?[0-9]+\"/ top=\"$b\"/g;
      s/ width=\"-?[0-9]+\"/ width=\"$max\"/g; s/ height=\"-?[0-9]+\"/ height=\"$max\"/g;
      s/ wleft=\"-?[0-9]+\"/ wleft=\"$a\"/g; s/ wright=\"-?[0-9]+\"/ wright=\"$a\"/g" "$table"
    grep -q "wleft=\"$a\"" "$table" || sed -i -E "s/<symbol /<symbol wleft=\"$a\" wright=\"$a\" /g" "$table"
  done
  ini=$copy/data/ini/Tavelor2.ini
  "$datatool" decipher @engine "$ini" "$work/game.xml" || fail "$variant: cannot decipher"
  sed -i -E "s/hotspotx=\"-?[0-9]+\"/hotspotx=\"$a\"/g; s/hotspoty=\"-?[0-9]+\"/hotspoty=\"$b\"/g" \
    "$work/game.xml"
  grep -q "hotspotx=\"$a\"" "$work/game.xml" || fail "$variant: no hot spot to set"
  "$datatool" encipher @engine "$work/game.xml" "$ini" || fail "$variant: cannot encipher"
  mkdir "$work/pref-$variant"
  (cd "$work" && GAME_PLATFORM=headless GAME_SCRIPT=limits.script \
    GAME_PREFERENCE_DIR="$work/pref-$variant" "$copy/tavelor2" 2> "$work/err-$variant.txt")
  status=$?
  [ $status -eq 0 ] || fail "$variant: exit $status"
  if grep -q -E 'runtime error|AddressSanitizer|LeakSanitizer' "$work/err-$variant.txt"; then
    fail "$variant: sanitizer report"
  fi
  [ $status -eq 0 ] && ! grep -q 'runtime error' "$work/err-$variant.txt" ||
    head -30 "$work/err-$variant.txt"
done

[ $failures -eq 0 ] && echo "all passed"
exit $failures
