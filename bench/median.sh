# Sourced by the benchmark scripts: the median of its arguments (the upper one of an even count).
median() { printf '%s\n' "$@" | sort -n | sed -n "$(( ($# + 1) / 2 ))p"; }
