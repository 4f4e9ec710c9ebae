#!/usr/bin/env bash
# Instructions per save of the 100-line order: the engine's save batch against the
# same rows written by hand with SQLite prepared statements, counted by callgrind
# over 30 fixed runs of each (only the timed calls: Engine::run and the hand-written
# save). Usage: bench/save_batch_callgrind.sh [build dir, default build]
set -euo pipefail
build=${1:-build}
out=$(mktemp /tmp/save_batch_callgrind.XXXXXX)
trap 'rm -f "$out"' EXIT
valgrind --tool=callgrind --callgrind-out-file="$out" \
  --toggle-collect='tsql::Engine::run*' --toggle-collect='*Prepared::save*' \
  "$build/save_batch_bench" --benchmark_filter='iterations:30' >/dev/null 2>&1
callgrind_annotate --inclusive=yes "$out" 2>/dev/null |
  awk '/tsql::Engine::run\(/ {gsub(",", "", $1); e=$1} /Prepared::save\(\)/ {gsub(",", "", $1); h=$1}
       END {printf "engine %.1f M instructions per save, hand-written %.1f M, ratio %.2f\n", e/30e6, h/30e6, e/h}'
