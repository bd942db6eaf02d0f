#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: logic and store tests without a
# display, window tests offscreen, and end-to-end tests on virtual desktops; then the fuzz targets
# for 30 seconds each, in a build tree of their own.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
(cd build && ctest --output-on-failure --timeout 600)
bash scripts/fuzz.sh 30
