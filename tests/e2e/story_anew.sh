# Sourced by the story checks after mira_story.sh: Mira's story started anew (the first
# case current, no task done, the journal, clients and dolls emptied).
grep -q '<param name="currentcase" value="c1_lantern"/>' story.xml || fail "the first case is not current"
grep -q 'completed="yes"' story.xml && fail "something of the old story is still done"
for list in journal matched_clients finded_voodoo; do
  grep -q " $list=\"\"" story.xml || fail "the $list list is not emptied"
done
