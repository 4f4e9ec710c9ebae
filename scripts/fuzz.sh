#!/usr/bin/env bash
# Runs the libFuzzer targets of BUILD for SECONDS each (all four unless named after the
# seconds) on a corpus kept in BUILD/fuzz-corpus/<target>, seeded from the project's
# own texts: the schema, the engine's SQL scripts and tests/fuzz/seeds/tsql_parser for
# the T-SQL target, the scenarios for the scenario reader, the seed files in
# tests/fuzz/seeds for the rest.
# Prints each run's final figures. A crash fails the run: its log and the input that
# caused it (hex dump) are printed, and the input is kept in BUILD/fuzz-crashes/.
set -u
BUILD=${1:-build-fuzz}
SECONDS_EACH=${2:-60}
shift $(( $# < 2 ? $# : 2 ))
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(tsql_parser_fuzz filter_expression_fuzz selection_json_fuzz scenario_fuzz)
root=$(cd "$(dirname "$0")/.." && pwd)

seed() {  # target corpus
  case $1 in
    tsql_parser_fuzz)
      cp "$root"/db/schema/*.sql "$root"/tests/tsql/scripts/*.test "$2"/
      for f in "$root"/tests/fuzz/seeds/tsql_parser/*; do cp "$f" "$2/seed-$(basename "$f")"; done ;;
    scenario_fuzz) cp "$root"/tests/scenarios/*.json "$root"/tests/reliability/recipes/*.json "$2"/ ;;
    *) cp "$root"/tests/fuzz/seeds/"${1%_fuzz}"/* "$2"/ ;;
  esac
}

report_crash() {  # target log crashes
  echo "!! $1 failed; the end of its log:"
  tail -n 60 "$2"
  for input in "$3"/*; do
    [ -f "$input" ] || continue
    echo "!! input $input ($(wc -c <"$input") bytes):"
    od -A d -t x1z -v "$input" | head -n 64
  done
}

status=0
for target in "${targets[@]}"; do
  corpus="$BUILD/fuzz-corpus/$target"
  crashes="$BUILD/fuzz-crashes/$target"
  log="$BUILD/$target.log"
  mkdir -p "$corpus" "$crashes"
  seed "$target" "$corpus"
  echo "== $target ($SECONDS_EACH s)"
  if "$BUILD/$target" -max_total_time="$SECONDS_EACH" -print_final_stats=1 -artifact_prefix="$crashes/" \
      -max_len=4096 -timeout=10 "$corpus" 2>"$log"; then
    grep -E "^(#[0-9]+.*DONE|stat::number_of_executed_units|stat::new_units_added|stat::peak_rss)|cov:" \
      "$log" | tail -4
  else
    status=1
    report_crash "$target" "$log" "$crashes"
  fi
done
exit $status
