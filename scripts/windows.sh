#!/usr/bin/env bash
# Installs what is missing, builds Qt and the libraries for 64-bit Windows into a cache outside the
# checkout (once; later runs reuse them), then cross-builds into build-windows/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/win/install-deps.sh
qt=$(bash scripts/win/qt.sh)
libs=$(bash scripts/win/libs.sh)
"$qt/bin/qt-cmake" -S . -B build-windows -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DQT_CHAINLOAD_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64.cmake" -DKERULO_WIN_LIBS="$libs" >/dev/null
cmake --build build-windows
