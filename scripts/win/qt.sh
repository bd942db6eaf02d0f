#!/usr/bin/env bash
# Builds Qt for 64-bit Windows from Debian's qt6-base source of the same version as the host's Qt
# (whose moc, rcc and uic serve as host tools), with only what Kerulo uses: Core, Gui, Widgets,
# Test and the windows platform plugin. Installs into a cache folder outside the checkout, keyed by
# version and options, and prints that folder; a second run finds it there and builds nothing.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)

version=$(dpkg-query -W -f='${Version}' libqt6core6)   # e.g. 6.4.2+dfsg-10
upstream=${version%%+*}
options=(
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
  -DBUILD_SHARED_LIBS=ON -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
  -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_opengl=OFF
  -DFEATURE_vulkan=OFF -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF
  -DFEATURE_icu=OFF -DFEATURE_glib=OFF
  -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF
  -DFEATURE_system_freetype=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF
  # Debian's source leaves out wintab.h, without which the windows plugin does not compile;
  # tablets and boards still arrive as mouse events.
  -DFEATURE_tabletevent=OFF
  # Without OpenGL the 6.4 windows plugin refers to classes that were not built unless this is off.
  -DFEATURE_dynamicgl=OFF
  # Left out because nothing here uses them, which shortens the build: PDF and Markdown
  # documents, and widgets no window here is made of. (Direct2D stays: the windows plugin's
  # DirectWrite font database needs it.)
  -DFEATURE_pdf=OFF
  -DFEATURE_textmarkdownreader=OFF -DFEATURE_textmarkdownwriter=OFF
  -DFEATURE_mdiarea=OFF -DFEATURE_calendarwidget=OFF -DFEATURE_datetimeedit=OFF
  -DFEATURE_lcdnumber=OFF -DFEATURE_dial=OFF -DFEATURE_splashscreen=OFF -DFEATURE_undoview=OFF
  -DFEATURE_wizard=OFF -DFEATURE_fontcombobox=OFF -DFEATURE_fontdialog=OFF -DFEATURE_columnview=OFF
)
key=$(printf '%s\n' "$version" "${options[@]}" | cat - "$root/cmake/mingw-w64.cmake" | sha256sum | cut -c1-10)
cache=${KERULO_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/kerulo}
prefix=$cache/qt-$upstream-mingw-$key
if [ -f "$prefix/.complete" ]; then
  echo "$prefix"
  exit 0
fi

work=$cache/work/qt-$upstream-$key
bash "$here/debian-source.sh" qt6-base "$version" "$work/src" >&2
start=$(date +%s)
cmake -S "$work/src" -B "$work/build" -G Ninja -Wno-dev \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX="$prefix" "${options[@]}" >"$work/configure.log" 2>&1 \
  || { tail -40 "$work/configure.log" >&2; exit 1; }
echo "Building Qt $upstream for Windows into $prefix (about half an hour on two cores)" >&2
cmake --build "$work/build" >"$work/build.log" 2>&1 || { tail -40 "$work/build.log" >&2; exit 1; }
cmake --install "$work/build" >"$work/install.log" 2>&1
echo "Qt for Windows built in $(( $(date +%s) - start )) s" >&2
touch "$prefix/.complete"
rm -rf "$work"
echo "$prefix"
