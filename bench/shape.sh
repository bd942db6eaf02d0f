#!/usr/bin/env bash
# Prints what a shaped window over the whole screen costs the X server (see bench/shapecost.cpp),
# on a plain virtual desktop of its own.
# Usage: bench/shape.sh [--build DIR]
#   DIR defaults to $KERULO_BUILD, else "build"; relative to the source tree.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${KERULO_BUILD:-build}
while [ $# -gt 0 ]; do
  case $1 in
    --build) build=$2; shift ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
  esac
  shift
done
case $build in /*) ;; *) build=$top/$build ;; esac
[ -e "$build/bench/kerulo_shapecost" ] || { echo "$build/bench/kerulo_shapecost is missing: build $build first" >&2; exit 1; }

state=$(mktemp -d /tmp/kerulo-bench.XXXXXX)
trap 'bash "$top/scripts/virtual-desktop.sh" stop "$state"' EXIT
export DISPLAY=$(bash "$top/scripts/virtual-desktop.sh" start "$state" --no-tray | tail -n 1)
"$build/bench/kerulo_shapecost" "$(cat "$state/xvfb.pid")"
