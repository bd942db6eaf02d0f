#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: logic and store tests without a
# display, window tests offscreen, and end-to-end tests on virtual desktops; then the Windows
# build's tests under Wine; then the fuzz targets for 30 seconds each, in a build tree of their
# own.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/win/install-deps.sh

# On a machine that has not built Qt for Windows yet, fetching its source and building it takes
# about half an hour of both cores. It builds at the lowest priority while the Linux build and
# tests run, the tests mostly waiting on their virtual desktops; once built it is cached and
# this costs nothing.
qt_log=$(mktemp)
nice -n 19 bash scripts/win/qt.sh >/dev/null 2>"$qt_log" &
qt_build=$!
linux=0
bash scripts/build.sh && (cd build && ctest --output-on-failure --timeout 600) || linux=$?
if ! wait "$qt_build"; then
  cat "$qt_log" >&2
  echo "test.sh: building Qt for Windows failed" >&2
  exit 1
fi
rm -f "$qt_log"
[ "$linux" -eq 0 ] || exit "$linux"

bash scripts/windows.sh
# The Windows tests need no display (Qt's offscreen platform), except those that start virtual
# desktops of their own; without one Wine also opens no window of its own on the user's screen,
# such as the one it shows while it updates its prefix.
(cd build-windows && env -u DISPLAY -u WAYLAND_DISPLAY ctest --output-on-failure --timeout 600 -j2)
bash scripts/fuzz.sh 30
