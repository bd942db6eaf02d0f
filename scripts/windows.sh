#!/usr/bin/env bash
# Installs what is missing, builds Qt and the libraries for 64-bit Windows into a cache outside the
# checkout (once; later runs reuse them), then cross-builds into build-windows/, with the portable
# zip and the installer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/win/install-deps.sh
qt=$(bash scripts/win/qt.sh)
libs=$(bash scripts/win/libs.sh)
qt_licenses=$(bash scripts/win/qt-licenses.sh)
"$qt/bin/qt-cmake" -S . -B build-windows -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DQT_CHAINLOAD_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64.cmake" -DKERULO_WIN_LIBS="$libs" \
  -DKERULO_QT_LICENSES="$qt_licenses" >/dev/null
cmake --build build-windows
cmake --build build-windows --target windows-zip windows-installer
