#!/usr/bin/env bash
# The playthrough benchmark in a new process each repetition (a first run in a process pays
# for what later runs find cached), then each screen's slowest frame in processor time and by
# the wall clock, the median over the repetitions. With "in-process" the repetitions run one
# after the other in one process instead.
# Usage: playthrough_fresh.sh [BUILD_DIR] [N] [in-process]
set -euo pipefail
build=${1:-build/release}
runs=${2:-5}
mode=${3:-fresh}
bench="$build/bench/sample_game_bench"
[[ -x "$bench" ]] || { echo "no $bench: build ALL in $build first" >&2; exit 1; }
tables=$(mktemp)
trap 'rm -f "$tables"' EXIT
# The table rows: screen, frames, median, worst, worst cpu; each table begins a run.
rows() {
  awk -v run="$1" '/^screen on top/ { ++run } $1 ~ /^(GS_|\(start\))/ && NF == 5 { print run, $1, $4, $5 }'
}
if [[ "$mode" == in-process ]]; then
  "$bench" --benchmark_filter=playthrough --benchmark_repetitions="$runs" 2>/dev/null | rows 0 >>"$tables"
  what="repetitions in one process"
else
  for ((i = 0; i < runs; ++i)); do
    "$bench" --benchmark_filter=playthrough 2>/dev/null | rows "$((i * 1000))" >>"$tables"
  done
  what="fresh processes"
fi
echo "load: $(uptime | sed 's/.*load average: //')"
printf '%-24s %16s %16s   (median of %d %s)\n' "screen on top" "worst cpu ms" "worst wall ms" "$runs" "$what"
# Per screen, the median of a column (3: wall, 4: cpu): sorted by screen and value, the
# middle row of each screen's rows.
median() {
  sort -k2,2 -k"$1","$1"g "$tables" | awk -v col="$1" '
    function flush() { if (name != "") print name, v[int((k + 1) / 2)] }
    $2 != name { flush(); name = $2; k = 0 }
    { v[++k] = $col }
    END { flush() }'
}
join <(median 4) <(median 3) | awk '{ printf "%-24s %16.1f %16.1f\n", $1, $2, $3 }'
