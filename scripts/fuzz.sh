#!/usr/bin/env bash
# Runs every libFuzzer target of BUILD for SECONDS each on a corpus kept in
# BUILD/fuzz-corpus/<target>, seeded from the project's own texts: the schema and the
# engine's SQL scripts for the T-SQL target, the scenarios for the scenario reader,
# the seed files in tests/fuzz/seeds for the rest. Prints each run's final figures;
# crashes are left in BUILD/fuzz-crashes/.
set -u
BUILD=${1:-build-fuzz}
SECONDS_EACH=${2:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
status=0
for target in tsql_parser_fuzz filter_expression_fuzz selection_json_fuzz scenario_fuzz; do
  corpus="$BUILD/fuzz-corpus/$target"
  crashes="$BUILD/fuzz-crashes/$target"
  mkdir -p "$corpus" "$crashes"
  case $target in
    tsql_parser_fuzz) cp "$root"/db/schema/*.sql "$root"/tests/tsql/scripts/*.test "$corpus"/ ;;
    scenario_fuzz) cp "$root"/tests/scenarios/*.json "$root"/tests/reliability/recipes/*.json "$corpus"/ ;;
    *) cp "$root"/tests/fuzz/seeds/"${target%_fuzz}"/* "$corpus"/ ;;
  esac
  echo "== $target ($SECONDS_EACH s)"
  "$BUILD/$target" -max_total_time="$SECONDS_EACH" -print_final_stats=1 -artifact_prefix="$crashes/" \
    -max_len=4096 -timeout=10 "$corpus" 2>"$BUILD/$target.log" || status=1
  grep -E "^(#[0-9]+.*DONE|stat::number_of_executed_units|stat::new_units_added|stat::peak_rss)|cov:" \
    "$BUILD/$target.log" | tail -4
  ls "$crashes" | sed 's/^/  crash: /'
done
exit $status
