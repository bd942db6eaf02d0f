#!/usr/bin/env bash
# Builds the Debian package build/kerulo_<version>_<arch>.deb from the install rules.
#
#   package.sh [BUILD_DIR]   another build folder than build/ (configured there when it is new)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
bash scripts/install-deps.sh
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build"
cd "$build"
deb=$(sed -n 's/^set(CPACK_DEBIAN_FILE_NAME "\(.*\)")$/\1/p' CPackConfig.cmake)
rm -f -- "$deb"
cpack -G DEB >cpack.log 2>&1 || { cat cpack.log >&2; exit 1; }
[ -f "$deb" ] || { echo "cpack made no $deb" >&2; cat cpack.log >&2; exit 1; }
echo "$PWD/$deb"
