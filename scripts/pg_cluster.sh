#!/usr/bin/env bash
# A throwaway PostgreSQL cluster for the tests: `start STATE_DIR` makes a fresh cluster
# in a temp folder, listening on a unix socket only (no TCP), and writes its libpq URI
# to STATE_DIR/uri; `stop STATE_DIR` stops it, keeps its log as STATE_DIR/last-server.log
# and removes its other files; `halt STATE_DIR [fast|immediate]` stops the server and
# keeps its data, `resume STATE_DIR` starts it again (a server that goes away under its
# clients). Run as root (CI),
# the server runs as the unprivileged `postgres` user, since initdb refuses root.
set -euo pipefail

usage() { echo "usage: $0 start|stop|halt|resume STATE_DIR [fast|immediate]" >&2; exit 2; }
[ $# -eq 2 ] || [ $# -eq 3 ] || usage
action=$1
state=$2
mode=${3:-fast}

# The server binaries live outside PATH on Debian (/usr/lib/postgresql/<version>/bin).
find_bindir() {
  local d
  if command -v pg_config >/dev/null 2>&1; then
    d=$(pg_config --bindir 2>/dev/null || true)
    [ -x "$d/initdb" ] && [ -x "$d/pg_ctl" ] && { echo "$d"; return; }
  fi
  for d in $(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V -r); do
    [ -x "$d/initdb" ] && [ -x "$d/pg_ctl" ] && { echo "$d"; return; }
  done
  d=$(dirname "$(command -v initdb 2>/dev/null || echo /nonexistent/initdb)")
  [ -x "$d/initdb" ] && [ -x "$d/pg_ctl" ] && { echo "$d"; return; }
  return 1
}

# Runs a server command as the cluster's owner.
as_owner() {
  if [ "$(id -u)" -eq 0 ]; then
    runuser -u postgres -- "$@"
  else
    "$@"
  fi
}

# Durability is off: the cluster lives for one test run.
run_server() {
  as_owner "$1/pg_ctl" -D "$2/data" -l "$2/server.log" -w -t 60 \
    -o "-c listen_addresses='' -k $2 -c fsync=off -c synchronous_commit=off -c full_page_writes=off -c max_connections=50" \
    start >/dev/null || { cat "$2/server.log" >&2; exit 1; }
}

halt() {
  as_owner "$(cat "$state/bindir")/pg_ctl" -D "$(cat "$state/dir")/data" -m "$mode" -w stop >/dev/null
}

start() {
  local bindir
  if ! bindir=$(find_bindir); then
    echo "PostgreSQL server binaries (initdb, pg_ctl) not found. Install them with" >&2
    echo "  sudo apt-get install -y postgresql libpq-dev   (or: bash scripts/install-deps.sh)" >&2
    exit 1
  fi
  if [ "$(id -u)" -eq 0 ] && ! id postgres >/dev/null 2>&1; then
    echo "running as root needs the 'postgres' user the postgresql package creates" >&2
    exit 1
  fi
  [ -f "$state/uri" ] && stop_cluster quietly
  mkdir -p "$state"
  local dir
  dir=$(mktemp -d /tmp/coreapp-pg.XXXXXX)
  [ "$(id -u)" -eq 0 ] && chown postgres: "$dir"
  echo "$dir" >"$state/dir"
  as_owner "$bindir/initdb" -D "$dir/data" -U postgres -A trust -E UTF8 --locale=C.UTF-8 \
    >"$dir/initdb.log" 2>&1 || { cat "$dir/initdb.log" >&2; exit 1; }
  run_server "$bindir" "$dir"
  echo "$bindir" >"$state/bindir"
  echo "postgresql:///postgres?host=$dir&user=postgres" >"$state/uri"
  echo "PostgreSQL test cluster up: $(cat "$state/uri")"
}

stop_cluster() {
  local dir bindir
  dir=$(cat "$state/dir" 2>/dev/null || true)
  bindir=$(cat "$state/bindir" 2>/dev/null || true)
  if [ -n "$dir" ] && [ -d "$dir/data" ] && [ -n "$bindir" ]; then
    as_owner "$bindir/pg_ctl" -D "$dir/data" -m immediate -w stop >/dev/null 2>&1 || true
  fi
  # The run's server log outlives the cluster, so a server that went away mid-run can
  # be looked into; what ended it is shown at once.
  if [ -n "$dir" ] && [ -f "$dir/server.log" ]; then
    cp "$dir/server.log" "$state/last-server.log"
    grep -E 'PANIC|terminated by signal|was terminated' "$state/last-server.log" >&2 || true
  fi
  [ -n "$dir" ] && case "$dir" in /tmp/coreapp-pg.*) rm -rf "$dir" ;; esac
  rm -f "$state/uri" "$state/dir" "$state/bindir"
  [ "${1:-}" = quietly ] || echo "PostgreSQL test cluster stopped"
}

case "$action" in
  start) start ;;
  stop) stop_cluster ;;
  halt) halt ;;
  resume) run_server "$(cat "$state/bindir")" "$(cat "$state/dir")" ;;
  *) usage ;;
esac
