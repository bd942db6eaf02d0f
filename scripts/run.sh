#!/usr/bin/env bash
# Builds Kerulo and starts it from its run folder. On $DISPLAY when there is one; otherwise on
# a virtual desktop of its own, with a screenshot of the screen after start-up.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
top=$PWD
run_dir=$top/build/run

if [ -n "${DISPLAY:-}" ]; then
  cd "$run_dir"
  exec ./kerulo
fi

state=$(mktemp -d /tmp/kerulo-desktop.XXXXXX)
trap 'bash "$top/scripts/virtual-desktop.sh" stop "$state"' EXIT
display=$(bash scripts/virtual-desktop.sh start "$state" | tail -n 1)
export DISPLAY=$display
export XDG_RUNTIME_DIR=$state/runtime
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
# No message bus, not even one the bus library would start through the X display.
export DBUS_SESSION_BUS_ADDRESS=disabled:

cd "$run_dir"
./kerulo &
kerulo_pid=$!
sleep 3
mkdir -p "$top/build/screenshots"
shot=$top/build/screenshots/startup.png
import -window root "$shot"
echo "Kerulo runs on the virtual display $display (pid $kerulo_pid)."
echo "Screenshot after start-up: $shot"
wait "$kerulo_pid"
