#!/usr/bin/env bash
# xml_whole_process.sh [BUILD_DIR] [RUNS] [MEGABYTES]
# Whole processes reading one game-like XML document (nested widget groups, 5 to 10
# attributes an element, made here, 13 MB by default): `datatool check FILE` against a
# tiny pugixml program (xml_peer_load) on the same file, run by turns. Prints the
# processor time (user plus system) of each, their medians, and the throughput ratio.
# Run it by hand on an optimised build.
set -euo pipefail
. "$(dirname "$0")/median.sh"
build=$(realpath "${1:-build/release}")
runs=${2:-7}
megabytes=${3:-13}
ours=$build/tools/datatool
peer=$build/bench/xml_peer_load
[[ -x $ours && -x $peer ]] || { echo "build $build first (datatool, xml_peer_load)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
file=$work/screen.xml
awk -v target=$((megabytes * 1000 * 1000)) 'BEGIN {
  srand(12345)
  split("image button text move particles", types, " ")
  split("normal screen overlay addition", modes, " ")
  printf "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<screen name=\"main\" width=\"1024\" height=\"768\">\n"
  spaces = "                                "
  size = 100; depth = 1; id = 0
  while (size < target) {
    pad = substr(spaces, 1, depth * 2)
    if (depth > 1 && rand() < 0.25) { depth--; line = substr(pad, 3) "</group>"; print line; size += length(line) + 1; continue }
    group = depth < 6 && rand() < 0.2
    line = pad "<" (group ? "group" : "widget") " type=\"" (group ? "group" : types[int(rand() * 5) + 1]) "\" name=\"w" id++ "\" x=\"" int(rand() * 1024) "\" y=\"" int(rand() * 768) "\" z=\"" int(rand() * 100) "\""
    extra = int(rand() * 6)
    if (extra > 0) line = line " file=\"data\\images\\sprite" int(rand() * 500) ".png\""
    if (extra > 1) line = line " blendingmode=\"" modes[int(rand() * 4) + 1] "\""
    if (extra > 2) line = line " alpha=\"0." int(rand() * 100) "\""
    if (extra > 3) line = line " visible=\"" (rand() < 0.5 ? "yes" : "no") "\""
    if (extra > 4) line = line " caption=\"%Caption" int(rand() * 200) "% &amp; more\""
    if (group) { line = line ">"; depth++ } else line = line "/>"
    print line; size += length(line) + 1
  }
  while (depth > 1) { depth--; print substr(spaces, 1, depth * 2) "</group>" }
  print "</screen>"
}' > "$file"
bytes=$(stat -c %s "$file")
"$ours" check "$file"
"$peer" "$file"
cpu() {
  TIMEFORMAT='%3U %3S'
  local t user sys
  t=$( { time "$@" > /dev/null; } 2>&1 )
  read -r user sys <<< "$t"
  echo "$user + $sys" | bc
}
ours_times=() peer_times=()
for ((i = 0; i < runs; ++i)); do
  ours_times+=("$(cpu "$ours" check "$file")")
  peer_times+=("$(cpu "$peer" "$file")")
done
mo=$(median "${ours_times[@]}")
mp=$(median "${peer_times[@]}")
echo "document: $bytes bytes"
echo "datatool check (s): ${ours_times[*]}"
echo "pugixml load_file (s): ${peer_times[*]}"
echo "median processor time: ours $mo s, pugixml $mp s, median of $runs"
echo "throughput against pugixml: $(echo "scale=2; $mp / $mo" | bc)x"
echo "load: $(uptime)"
