#!/usr/bin/env bash
# Instructions per save of the 100-line order: the engine's save batch against the
# same rows written by hand with SQLite prepared statements, counted by callgrind
# over 30 fixed runs of each (only the timed calls: engineSave and the hand-written
# save). Counted twice: with each side's first save in the count, and after one
# untimed save on each side (the engine's first save parses, translates and prepares,
# as the hand-written side prepares its statements before its first save).
# Usage: bench/save_batch_callgrind.sh [build dir, default build]
set -euo pipefail
build=${1:-build}
out=$(mktemp /tmp/save_batch_callgrind.XXXXXX)
trap 'rm -f "$out"' EXIT
count() {  # $1: benchmark filter, $2: label
  valgrind --tool=callgrind --callgrind-out-file="$out" \
    --toggle-collect='*engineSave*' --toggle-collect='*Prepared::save*' \
    "$build/save_batch_bench" --benchmark_filter="$1" >/dev/null 2>&1
  callgrind_annotate --inclusive=yes "$out" 2>/dev/null |
    awk -v label="$2" '
      function n(s) { gsub(",", "", s); return s + 0 }
      /engineSave\(/ && n($1) > e {e = n($1)}
      /Prepared::save\(\)/ && n($1) > h {h = n($1)}
      END {printf "%s: engine %.2f M instructions per save, hand-written %.2f M, ratio %.3f\n",
                  label, e/30e6, h/30e6, e/h}'
}
count 'Batch/iterations:30|Sqlite/iterations:30' "first save counted"
count 'Warm/iterations:30' "after one save"
