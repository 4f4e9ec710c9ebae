#!/usr/bin/env bash
# `make run`: the desktop shell on the demo database (coreapp-demo.db, the file the
# command-line demo plays on) when a display is there, else the command-line demo.
# Usage: scripts/run.sh [BUILD_DIR]
set -euo pipefail
build="${1:-build}"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "no display: running the command-line demo instead"
elif [ ! -x "$build/coreapp-desktop" ]; then
  echo "coreapp-desktop was not built (Qt 6 missing): running the command-line demo instead"
else
  exec "$build/coreapp-desktop" --db coreapp-demo.db --demo
fi
exec "$build/coreapp" demo
