#!/usr/bin/env bash
# Installs the Debian packages the Windows build and its Wine tests need, beside those of
# scripts/install-deps.sh.
set -euo pipefail

packages=(
  # the cross compiler (posix threads, which Qt needs), windres and the zlib libpng builds on
  g++-mingw-w64-x86-64-posix mingw-w64-tools binutils-mingw-w64-x86-64 libz-mingw-w64-dev
  # Debian's Qt serves as the host tools (moc, rcc, uic) of the cross-built Qt of the same version
  qt6-base-dev qt6-base-dev-tools
  # unpacking Debian source packages; SQLite's single-file source is generated with tcl
  dpkg-dev tcl perl
  # reading the attribution files of Qt's source for the licences shipped with it
  python3
  cmake ninja-build
  # running and packing the result
  wine wine64 nsis zip
  # the package tests: what the zip holds, the icon file's sizes
  unzip file
  # the smoke test of the program under Wine: virtual desktops with a tray host and a compositor,
  # XTest input, screenshots, and the script that drives them
  xvfb xauth openbox trayer xcompmgr xdotool x11-utils imagemagick python3
)

bash "$(dirname "$0")/../install-missing.sh" "${packages[@]}"
