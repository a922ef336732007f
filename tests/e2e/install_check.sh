#!/bin/sh
# install_check.sh CMAKE BUILD_DIR DATATOOL E2E_CHECK SCRIPT
# Installs the build into a fresh prefix, as a player would, and checks what it put where:
# the program folder, the launcher on the PATH, the desktop menu's entry and its icon (the
# picture the program gives its window). Then starts the game as the menu's entry does,
# from another folder and with a fresh home, headless through SCRIPT (a new player, the
# main menu): it must read its data from the prefix, keep the player's files in the home's
# preference folder, and write nothing under the prefix.
set -u
cmake=$1
build=$2
datatool=$3
check=$4
script=$5
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
home=$work/home
mkdir "$home" "$work/elsewhere"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

"$cmake" --install "$build" --prefix "$prefix" > "$work/install.txt" 2>&1 ||
  { cat "$work/install.txt"; echo "FAIL: the install failed"; exit 1; }

game=$prefix/lib/games/tavelor2
for file in "$game/tavelor2" "$game/data/ini/Tavelor2.ini" "$game/data/sounds.vkd" \
    "$game/lang/default.lng" "$game/highscores.dat" "$prefix/share/applications/tavelor2.desktop" \
    "$prefix/share/icons/hicolor/128x128/apps/tavelor2.png"; do
  [ -f "$file" ] || fail "not installed: $file"
done
[ -x "$game/tavelor2" ] || fail "the program is not executable"
[ -L "$prefix/bin/tavelor2" ] && [ "$(readlink "$prefix/bin/tavelor2")" = ../lib/games/tavelor2/tavelor2 ] ||
  fail "the launcher is not the relative link to the program"
cmp -s "$prefix/share/icons/hicolor/128x128/apps/tavelor2.png" "$build/game/data/images/icon.png" ||
  fail "the menu's icon is not the window's"

entry=$prefix/share/applications/tavelor2.desktop
[ "$(head -n 1 "$entry")" = "[Desktop Entry]" ] || fail "the entry does not start with its group"
for line in "Type=Application" "Name=The Saltmarrow Diary" "Exec=$prefix/bin/tavelor2" \
    "Icon=tavelor2" "Terminal=false" "Categories=Game;AdventureGame;"; do
  grep -qx "$line" "$entry" || fail "the entry lacks $line"
done
if command -v desktop-file-validate > /dev/null; then
  desktop-file-validate "$entry" || fail "the entry does not validate"
fi

# The menu's command, from another folder, a fresh home, no preference folder named.
command=$(sed -n 's/^Exec=//p' "$entry")
touch "$work/marker"
sleep 1  # file times: what the run writes is newer than the marker
(cd "$work/elsewhere" &&
  env -u XDG_DATA_HOME -u XDG_CONFIG_HOME -u GAME_PREFERENCE_DIR HOME="$home" \
    GAME_PLATFORM=headless GAME_SCRIPT="$script" $command 2> "$work/stderr.txt")
status=$?
[ $status -eq 0 ] || fail "the installed game ended with $status: $(cat "$work/stderr.txt")"
! grep -q '^warning: ' "$work/stderr.txt" || fail "the installed game warned: $(cat "$work/stderr.txt")"
# The main menu as the player sees it: the title over the background, Ina greeted above it.
"$check" "$work/elsewhere/installed-main.png" \
  drawn "$build/game/data/images/bg_gradient.png" 212 40 812 104 400 \
  drawn "$build/game/data/images/bg_gradient.png" 212 6 812 36 200 ||
  fail "the installed game's main menu is not drawn"
written=$(find "$prefix" -newer "$work/marker")
[ -z "$written" ] || fail "written under the prefix: $written"
pref=$home/.local/share/OstrelGames/Tavelor2
if [ -f "$pref/users.dat" ]; then
  "$datatool" decipher @users "$pref/users.dat" "$work/users.xml" > /dev/null &&
    grep -q 'current_user_profile_name="Ina"' "$work/users.xml" ||
    fail "the preference folder's users.dat does not hold Ina"
else
  fail "no users.dat in $pref: $(ls -A "$home")"
fi

[ $failures -eq 0 ] && echo "all passed"
exit $failures
