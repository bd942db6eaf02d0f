#!/usr/bin/env bash
# Installs the Debian packages Kerulo needs to build, run and test.
set -euo pipefail

packages=(
  # build
  cmake g++ ninja-build pkg-config sqlite3 python3
  qt6-base-dev qt6-base-private-dev qt6-qpa-plugins libgl-dev
  libsqlite3-dev libpng-dev libjpeg-dev
  libx11-dev libx11-xcb-dev libxcb1-dev libxcb-xinput-dev libxcb-shape0-dev libxcb-xfixes0-dev
  libxcb-xtest0-dev libxext-dev libxi-dev libxtst-dev libxfixes-dev
  libgtest-dev
  # the fuzz targets: clang with libFuzzer and the sanitizers' runtimes
  clang libclang-rt-14-dev
  # the soak benchmark counts the program's X resources (X-Resource extension)
  libxres-dev
  # a desktop to run on and to test against
  xvfb xauth openbox xcompmgr picom trayer xdotool x11-utils x11-xserver-utils
  imagemagick fonts-wqy-microhei xclip
  # the Debian package: dpkg-shlibdeps for its dependencies, and the checks of the package
  dpkg-dev lintian desktop-file-utils appstream
  # the Wayland end-to-end test: a headless compositor with XWayland
  weston xwayland
  # a desktop whose panel hosts status notifier items over a session message bus
  dbus-x11 xfwm4 xfce4-panel
)

bash "$(dirname "$0")/install-missing.sh" "${packages[@]}"
