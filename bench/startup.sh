#!/usr/bin/env bash
# Prints start-up time, idle CPU and memory of the built program on a virtual desktop of its
# own. Usage: bench/startup.sh [STARTS] [IDLE_SECONDS]   (build first: scripts/build.sh)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
state=$(mktemp -d /tmp/kerulo-bench.XXXXXX)
trap 'bash "$top/scripts/virtual-desktop.sh" stop "$state"' EXIT
export DISPLAY=$(bash "$top/scripts/virtual-desktop.sh" start "$state" | tail -n 1)
export XDG_RUNTIME_DIR=$state/runtime
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
# No message bus, not even one the bus library would start through the X display.
export DBUS_SESSION_BUS_ADDRESS=disabled:
cd "$top/build/run"
"$top/build/bench/kerulo_startupbench" ./kerulo "${1:-7}" "${2:-30}"
