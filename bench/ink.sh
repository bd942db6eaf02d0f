#!/usr/bin/env bash
# Prints how long the pen's ink layer takes from a rubber band's paint to the pixel on the
# screen, under a compositor, on a virtual desktop of its own.
# Usage: bench/ink.sh [--compositor xcompmgr|picom] [--build DIR] [MOVES]
#   DIR defaults to $KERULO_BUILD, else "build"; relative to the source tree.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${KERULO_BUILD:-build}
compositor=xcompmgr
while [ $# -gt 0 ]; do
  case $1 in
    --compositor) compositor=$2; shift ;;
    --build) build=$2; shift ;;
    --) shift; break ;;
    -*) echo "unknown option $1" >&2; exit 2 ;;
    *) break ;;
  esac
  shift
done
case $build in /*) ;; *) build=$top/$build ;; esac
[ -e "$build/bench/kerulo_inklag" ] || { echo "$build/bench/kerulo_inklag is missing: build $build first" >&2; exit 1; }

state=$(mktemp -d /tmp/kerulo-bench.XXXXXX)
trap 'bash "$top/scripts/virtual-desktop.sh" stop "$state"' EXIT
export DISPLAY=$(bash "$top/scripts/virtual-desktop.sh" start "$state" --compositor "$compositor" --no-tray | tail -n 1)
export XDG_RUNTIME_DIR=$state/runtime
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
export QT_QPA_PLATFORM=xcb
"$build/bench/kerulo_inklag" "${1:-300}"
