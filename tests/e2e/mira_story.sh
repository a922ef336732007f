# Sourced by the story checks, with "datatool" and "pref" set: deciphers "users.dat" into
# users.xml, checks that Mira is the current player and writes her story (the text of her
# "datastorage", escaped once) into story.xml; defines "fail" for the checks that follow.
"$datatool" decipher @users "$pref/users.dat" users.xml > /dev/null || { echo "users.dat does not decipher"; exit 1; }
"$datatool" check users.xml || exit 1
fail() { echo "$1:"; cat story.xml; exit 1; }
grep -q 'current_user_profile_name="Mira"' users.xml || { echo "Mira is not current:"; cat users.xml; exit 1; }
sed -n 's|.*<userprofile name="Mira">.*<datastorage>\(.*\)</datastorage>.*|\1|p' users.xml |
  sed 's/&lt;/</g; s/&gt;/>/g; s/&quot;/"/g; s/&apos;/'"'"'/g; s/&amp;/\&/g' > story.xml
[ -s story.xml ] || fail "Mira has no story"
"$datatool" check story.xml || fail "Mira's story is no XML"
