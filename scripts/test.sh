#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: logic and store tests without a
# display, window tests offscreen, and end-to-end tests on virtual desktops; then the Windows
# build's tests under Wine; then the fuzz targets for 30 seconds each, in a build tree of their
# own.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
(cd build && ctest --output-on-failure --timeout 600)
bash scripts/windows.sh
# The Windows tests need no display (Qt's offscreen platform); without one Wine also opens no
# window of its own on the user's screen, such as the one it shows while it updates its prefix.
(cd build-windows && env -u DISPLAY -u WAYLAND_DISPLAY ctest --output-on-failure --timeout 600 -j2)
bash scripts/fuzz.sh 30
