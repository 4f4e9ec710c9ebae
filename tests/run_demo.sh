#!/usr/bin/env bash
# Runs `coreapp demo` twice on one new database file and checks that both runs exit 0,
# that the first creates the file and the second adds a second order to it, that each
# run names the printed document it wrote, and that the database then holds exactly two
# orders, both completed and fully settled (cash and member card), the card charged twice,
# and that `db check` then finds nothing wrong.
# COREAPP names the binary (default build/coreapp). With PG_STATE (the test cluster's
# state folder, see scripts/pg_cluster.sh) the demo runs on a fresh server database.
set -u
COREAPP=${COREAPP:-build/coreapp}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
db="$tmp/demo.db"
if [ -n "${PG_STATE:-}" ]; then
  uri=$(cat "$PG_STATE/uri") || exit 1
  psql "$uri" -qX -c "DROP DATABASE IF EXISTS demo_road WITH (FORCE)" -c "CREATE DATABASE demo_road" || exit 1
  db="${uri/\/postgres\?//demo_road?}"
  COREAPP=$(cd "$(dirname "$COREAPP")" && pwd)/$(basename "$COREAPP")
  cd "$tmp"  # the prints go to the working folder
fi
fail() { echo "FAIL demo: $*"; exit 1; }

for run in 1 2; do
  "$COREAPP" demo --db "$db" >"$tmp/run$run.out" 2>"$tmp/run$run.err"
  rc=$?
  cat "$tmp/run$run.out"
  [ "$rc" = 0 ] || { cat "$tmp/run$run.err"; fail "run $run exited $rc"; }
  file=$(sed -n 's/^完成。打印的订单 [^ ]* 写在 //p' "$tmp/run$run.out")
  [ -n "$file" ] || fail "run $run names no printed document"
  [ -s "$file" ] || fail "run $run: printed document $file is missing or empty"
done
grep -q '已新建演示数据库' "$tmp/run1.out" || fail "the first run did not create the database"
grep -q '使用已有的演示数据库' "$tmp/run2.out" || fail "the second run did not reuse the database"

# Two orders of the demo road's customer (the demo data's own order is another
# customer's, as are its open orders) with different numbers, both 已结算 (status 3)
# and 已结清 (ispay 2).
"$COREAPP" sql --db "$db" >"$tmp/orders.out" 2>"$tmp/orders.err" <<'SQL' || { cat "$tmp/orders.err"; fail "query failed"; }
select count(*), count(distinct billno), sum(case when status = 3 and ispay = 2 and hjsk = hjje then 1 else 0 end),
  (select count(*) from vt_b_khbmk_vip_pay where biztype = '消费')
from vt_x_xmzzk where zfflag = 0 and kh_id = (select id from vt_b_khbmk where code = 'C002')
SQL
grep -qF '"rows":[[2,2,2,2]]' "$tmp/orders.out" || fail "expected two settled orders, got $(cat "$tmp/orders.out")"

# The books after the two roads keep every invariant `db check` knows.
"$COREAPP" db check --db "$db" >"$tmp/check.out" 2>"$tmp/check.err" ||
  { cat "$tmp/check.out" "$tmp/check.err"; fail "db check found problems"; }
echo "ok   demo"
