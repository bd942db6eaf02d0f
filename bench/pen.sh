#!/usr/bin/env bash
# Prints how fast the pen paints (motion to pixel, corners of a fast zig-zag), the CPU it costs
# per 1000 motions (and the X server's beside it) and its memory over 2000 strokes, on virtual
# desktops of its own: first without a compositor, then with xcompmgr and with picom, where the
# goals of the pen's ink layer are printed beside the figures.
# Usage: bench/pen.sh [--build DIR]
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
for f in "$build/run/kerulo" "$build/run/GBTest.db" "$build/bench/kerulo_penbench"; do
  [ -e "$f" ] || { echo "$f is missing: build $build first" >&2; exit 1; }
done

for mode in plain xcompmgr picom; do
  state=$(mktemp -d /tmp/kerulo-bench.XXXXXX)
  args=() bench_args=()
  if [ "$mode" != plain ]; then
    args+=(--compositor "$mode")
    bench_args+=(--goals)
  fi
  echo "== ${mode/plain/plain desktop}${args:+ desktop}"
  (
    trap 'bash "$top/scripts/virtual-desktop.sh" stop "$state"' EXIT
    export DISPLAY=$(bash "$top/scripts/virtual-desktop.sh" start "$state" "${args[@]}" | tail -n 1)
    export XDG_RUNTIME_DIR=$state/runtime
    mkdir -p -m 700 "$XDG_RUNTIME_DIR"
    # No message bus, not even one the bus library would start through the X display.
    export DBUS_SESSION_BUS_ADDRESS=disabled:
    export QT_QPA_PLATFORM=xcb
    "$build/bench/kerulo_penbench" "$build/run/kerulo" --server "$(cat "$state/xvfb.pid")" \
      "${bench_args[@]}"
  )
done
