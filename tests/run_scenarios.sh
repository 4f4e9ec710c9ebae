#!/usr/bin/env bash
# Plays every tests/scenarios/NAME.json through `coreapp play` on a fresh demo database
# and compares the transcript with NAME.expected. Optional NAME.exit holds the expected
# exit code (default 0); optional NAME.stderr holds a text the error output must contain.
# COREAPP names the binary (default build/coreapp).
set -u
COREAPP=${COREAPP:-build/coreapp}
dir=$(cd "$(dirname "$0")/scenarios" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail=0
for scenario in "$dir"/*.json; do
  name=$(basename "$scenario" .json)
  db="$tmp/$name.db"
  if ! "$COREAPP" db init --db "$db" --demo >/dev/null 2>"$tmp/$name.init"; then
    echo "FAIL $name: db init failed"; cat "$tmp/$name.init"; fail=1; continue
  fi
  "$COREAPP" play --db "$db" "$scenario" >"$tmp/$name.out" 2>"$tmp/$name.err"
  rc=$?
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
