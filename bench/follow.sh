#!/usr/bin/env bash
# Prints how far the follow image lags behind the pointer, the CPU that following costs and
# the idle CPU of the built program, on a virtual desktop of its own.
# Usage: bench/follow.sh [--compositor] [--build DIR] [MOTIONS] [IDLE_SECONDS]
#   DIR defaults to $KERULO_BUILD, else "build"; relative to the source tree.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${KERULO_BUILD:-build}
desktop_args=()
while [ $# -gt 0 ]; do
  case $1 in
    --compositor) desktop_args+=(--compositor) ;;
    --build) build=$2; shift ;;
    --) shift; break ;;
    -*) echo "unknown option $1" >&2; exit 2 ;;
    *) break ;;
  esac
  shift
done
case $build in /*) ;; *) build=$top/$build ;; esac
for f in "$build/run/kerulo" "$build/run/GBTest.db" "$build/bench/kerulo_followlag"; do
  [ -e "$f" ] || { echo "$f is missing: build $build first" >&2; exit 1; }
done

state=$(mktemp -d /tmp/kerulo-bench.XXXXXX)
trap 'bash "$top/scripts/virtual-desktop.sh" stop "$state"' EXIT
export DISPLAY=$(bash "$top/scripts/virtual-desktop.sh" start "$state" "${desktop_args[@]}" | tail -n 1)
export XDG_RUNTIME_DIR=$state/runtime
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
# No message bus, not even one the bus library would start through the X display.
export DBUS_SESSION_BUS_ADDRESS=disabled:
export QT_QPA_PLATFORM=xcb
"$build/bench/kerulo_followlag" "$build/run/kerulo" "${1:-400}" "${2:-30}"
