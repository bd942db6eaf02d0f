#!/usr/bin/env bash
# Runs the built program for a long while under random but repeatable use (pointer motion, the
# keys F8, F7 and Esc, the toolbar's and tray menu's commands, pen strokes with every tool,
# clearing, settings saves) on a virtual desktop of its own, from a private copy of its run
# folder. Prints, every minute, whether it is alive, its resident memory and the X resources it
# holds, then a summary; ends with status 1 when the program died.
# Usage: bench/soak.sh [--compositor [xcompmgr|picom]] [--seed N] [--build DIR] [MINUTES]
#   MINUTES defaults to 30, N to 1; DIR defaults to $KERULO_BUILD, else "build", relative to the
#   source tree.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${KERULO_BUILD:-build}
seed=1
desktop_args=()
while [ $# -gt 0 ]; do
  case $1 in
    --compositor)
      desktop_args+=(--compositor)
      case ${2:-} in xcompmgr|picom) desktop_args+=("$2"); shift ;; esac ;;
    --seed) seed=$2; shift ;;
    --build) build=$2; shift ;;
    --) shift; break ;;
    -*) echo "unknown option $1" >&2; exit 2 ;;
    *) break ;;
  esac
  shift
done
minutes=${1:-30}
case $build in /*) ;; *) build=$top/$build ;; esac
for f in "$build/run/kerulo" "$build/run/GBTest.db" "$build/bench/kerulo_soak"; do
  [ -e "$f" ] || { echo "$f is missing: build $build first" >&2; exit 1; }
done

state=$(mktemp -d /tmp/kerulo-soak.XXXXXX)
trap 'bash "$top/scripts/virtual-desktop.sh" stop "$state"' EXIT
# The settings saves write the database: the program runs from a copy of its folder.
cp -r "$build/run" "$state/run"
mkdir -p "$state/shots"
export DISPLAY=$(bash "$top/scripts/virtual-desktop.sh" start "$state" "${desktop_args[@]}" | tail -n 1)
export XDG_RUNTIME_DIR=$state/runtime
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
# No message bus, not even one the bus library would start through the X display.
export DBUS_SESSION_BUS_ADDRESS=disabled:
export QT_QPA_PLATFORM=xcb

echo "soak: $minutes minutes, seed $seed, desktop: openbox${desktop_args[*]:+ ${desktop_args[*]}}," \
  "$(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"
echo "state, program output and screenshots of hiccups: $state"
status=0
"$build/bench/kerulo_soak" "$state/run/kerulo" "$minutes" "$seed" "$state/kerulo.log" \
  "$state/shots" || status=$?
echo "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
lines=$(wc -l <"$state/kerulo.log" 2>/dev/null || echo 0)
echo "program output: $lines lines"
if [ "$lines" -gt 0 ]; then
  # The same message with other numbers counts once.
  sed -E 's/[0-9]+/N/g' "$state/kerulo.log" | sort | uniq -c | sort -rn | head -n 10
fi
exit "$status"
