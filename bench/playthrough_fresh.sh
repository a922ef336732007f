#!/usr/bin/env bash
# The playthrough benchmark in a new process each repetition (a first run in a process pays
# for what later runs find cached), then each screen's slowest frame in processor time and by
# the wall clock, the median over the repetitions. Usage: playthrough_fresh.sh [BUILD_DIR] [N]
set -euo pipefail
build=${1:-build/release}
runs=${2:-5}
bench="$build/bench/sample_game_bench"
[[ -x "$bench" ]] || { echo "no $bench: build ALL in $build first" >&2; exit 1; }
tables=$(mktemp)
trap 'rm -f "$tables"' EXIT
for ((i = 0; i < runs; ++i)); do
  # The table rows: screen, frames, median, worst, worst cpu.
  "$bench" --benchmark_filter=playthrough 2>/dev/null |
    awk -v run="$i" '$1 ~ /^(GS_|\(start\))/ && NF == 5 { print run, $1, $4, $5 }' >>"$tables"
done
echo "load: $(uptime | sed 's/.*load average: //')"
printf '%-24s %16s %16s   (median of %d fresh processes)\n' "screen on top" "worst cpu ms" "worst wall ms" "$runs"
sort -k2,2 -k4,4g "$tables" | awk '
  function flush() {
    if (name == "") return
    n = asort(cpu); asort(wall)
    printf "%-24s %16.1f %16.1f\n", name, cpu[int((n + 1) / 2)], wall[int((n + 1) / 2)]
    delete cpu; delete wall
  }
  $2 != name { flush(); name = $2; k = 0 }
  { ++k; cpu[k] = $4; wall[k] = $3 }
  END { flush() }'
