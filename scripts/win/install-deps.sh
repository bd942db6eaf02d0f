#!/usr/bin/env bash
# Installs the Debian packages the Windows build and its Wine tests need, beside those of
# scripts/install-deps.sh. Only asks apt for what is missing.
set -euo pipefail

packages=(
  # the cross compiler (posix threads, which Qt needs), windres and the zlib libpng builds on
  g++-mingw-w64-x86-64-posix mingw-w64-tools binutils-mingw-w64-x86-64 libz-mingw-w64-dev
  # Debian's Qt serves as the host tools (moc, rcc, uic) of the cross-built Qt of the same version
  qt6-base-dev qt6-base-dev-tools
  # unpacking Debian source packages; SQLite's single-file source is generated with tcl
  dpkg-dev tcl perl
  cmake ninja-build
  # running and packing the result
  wine wine64 nsis zip
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get -o DPkg::Lock::Timeout=1200 update -qq
  $sudo apt-get -o DPkg::Lock::Timeout=1200 install -y -qq --no-install-recommends "${missing[@]}"
fi
