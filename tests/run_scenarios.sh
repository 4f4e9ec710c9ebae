#!/usr/bin/env bash
# Plays every tests/scenarios/NAME.json through `coreapp play` on a fresh demo database
# and compares the transcript with NAME.expected. Optional NAME.exit holds the expected
# exit code (default 0); optional NAME.stderr holds a text the error output must contain.
# Optional NAME.empty marks a scenario that starts from an empty database (no demo data).
# COREAPP names the binary (default build/coreapp). With PG_STATE (the test cluster's
# state folder, see scripts/pg_cluster.sh) each scenario gets a fresh database on that
# server instead of a file; PG_SCENARIOS then names the scenarios to play (all when unset).
set -u
COREAPP=${COREAPP:-build/coreapp}
dir=$(cd "$(dirname "$0")/scenarios" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail=0
server_db() {  # a fresh database NAME on the test cluster; prints its URI
  local uri
  uri=$(cat "$PG_STATE/uri") || return 1
  psql "$uri" -qX -c "DROP DATABASE IF EXISTS scn_$1 WITH (FORCE)" -c "CREATE DATABASE scn_$1" >&2 || return 1
  echo "${uri/\/postgres\?//scn_$1?}"
}
for scenario in "$dir"/*.json; do
  name=$(basename "$scenario" .json)
  db="$tmp/$name.db"
  if [ -n "${PG_STATE:-}" ]; then
    case " ${PG_SCENARIOS:-$name} " in *" $name "*) ;; *) continue ;; esac
    db=$(server_db "$name") || { echo "FAIL $name: no server database"; fail=1; continue; }
  fi
  demo=--demo
  [ -f "$dir/$name.empty" ] && demo=
  if ! "$COREAPP" db init --db "$db" $demo >/dev/null 2>"$tmp/$name.init"; then
    echo "FAIL $name: db init failed"; cat "$tmp/$name.init"; fail=1; continue
  fi
  "$COREAPP" play --db "$db" "$scenario" >"$tmp/$name.raw" 2>"$tmp/$name.err"
  rc=$?
  # An exported file is named without its folder: the print folder is the run's own.
  sed 's#"已导出到 [^"]*/#"已导出到 #' "$tmp/$name.raw" >"$tmp/$name.out"
  want=0
  [ -f "$dir/$name.exit" ] && want=$(tr -d '[:space:]' <"$dir/$name.exit")
  if [ "$rc" != "$want" ]; then
    echo "FAIL $name: exit $rc, expected $want"; cat "$tmp/$name.err"; fail=1; continue
  fi
  if [ -f "$dir/$name.stderr" ] && ! grep -qF -- "$(cat "$dir/$name.stderr")" "$tmp/$name.err"; then
    echo "FAIL $name: error output lacks: $(cat "$dir/$name.stderr")"; cat "$tmp/$name.err"; fail=1; continue
  fi
  if ! diff -u "$dir/$name.expected" "$tmp/$name.out"; then
    echo "FAIL $name: transcript differs"; fail=1; continue
  fi
  echo "ok   $name"
done
exit $fail
