#!/usr/bin/env bash
# Runs a command on a virtual desktop of its own (Xvfb with openbox) and with a Wine prefix of
# its own, both under STATE; ends the desktop and the prefix's Wine server afterwards.
#   on-virtual-desktop.sh SOURCE_DIR STATE COMMAND...
set -euo pipefail
source_dir=$1
state=$2
shift 2
rm -rf "$state"
mkdir -p "$state"
desktop() { bash "$source_dir/scripts/virtual-desktop.sh" "$@"; }
display=$(desktop start "$state/desktop" --no-tray --size 1280x800)
finish() {
  WINEPREFIX=$state/wineprefix wineserver -k >/dev/null 2>&1 || true
  desktop stop "$state/desktop" >/dev/null 2>&1 || true
}
trap finish EXIT
DISPLAY=$display KERULO_WINEPREFIX=$state/wineprefix "$@"
