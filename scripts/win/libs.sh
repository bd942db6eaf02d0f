#!/usr/bin/env bash
# Builds SQLite, libpng and libjpeg for 64-bit Windows from Debian's source packages of the versions
# the host uses, and GoogleTest from /usr/src/googletest, as static libraries in a cache folder
# outside the checkout keyed by their versions; prints that folder. A second run builds nothing.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
toolchain=$root/cmake/mingw-w64.cmake
triplet=x86_64-w64-mingw32

source_of() { dpkg-query -W -f='${source:Package} ${source:Version}' "$1"; }
read -r sqlite_pkg sqlite_version <<<"$(source_of libsqlite3-dev)"
read -r png_pkg png_version <<<"$(source_of libpng-dev)"
read -r jpeg_pkg jpeg_version <<<"$(source_of libjpeg62-turbo-dev)"
gtest_version=$(dpkg-query -W -f='${Version}' libgtest-dev)

key=$(printf '%s\n' "$sqlite_version" "$png_version" "$jpeg_version" "$gtest_version" \
  | cat - "$toolchain" "$0" | sha256sum | cut -c1-10)
cache=${KERULO_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/kerulo}
prefix=$cache/win-libs-$key
if [ -f "$prefix/.complete" ]; then
  echo "$prefix"
  exit 0
fi
work=$cache/work/win-libs-$key
mkdir -p "$work" "$prefix/include" "$prefix/lib"
log=$work/build.log
fail() { tail -40 "$log" >&2; exit 1; }
start=$(date +%s)

# SQLite: its single-file source is generated on the host, then compiled for Windows.
bash "$here/debian-source.sh" "$sqlite_pkg" "$sqlite_version" "$work/sqlite" >&2
(cd "$work/sqlite" && mkdir -p host && cd host && ../configure --disable-tcl >>"$log" 2>&1 \
  && make -j"$(nproc)" sqlite3.c >>"$log" 2>&1) || fail
(cd "$work/sqlite/host" \
  && $triplet-gcc-posix -O2 -DSQLITE_THREADSAFE=1 -DSQLITE_ENABLE_FTS5 -c sqlite3.c -o sqlite3.o \
  && $triplet-ar rcs "$prefix/lib/libsqlite3.a" sqlite3.o && cp sqlite3.h sqlite3ext.h "$prefix/include/") \
  >>"$log" 2>&1 || fail

# libpng, against the zlib of Debian's libz-mingw-w64-dev.
bash "$here/debian-source.sh" "$png_pkg" "$png_version" "$work/png" >&2
cmake -S "$work/png" -B "$work/png-build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DPNG_SHARED=OFF -DPNG_STATIC=ON \
  -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF -DSKIP_INSTALL_PROGRAMS=ON >>"$log" 2>&1 || fail
cmake --build "$work/png-build" --target install >>"$log" 2>&1 || fail

# libjpeg-turbo, without its assembly (which would need nasm): the pictures it decodes are small.
bash "$here/debian-source.sh" "$jpeg_pkg" "$jpeg_version" "$work/jpeg" >&2
cmake -S "$work/jpeg" -B "$work/jpeg-build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DENABLE_SHARED=OFF \
  -DENABLE_STATIC=ON -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF >>"$log" 2>&1 || fail
cmake --build "$work/jpeg-build" --target install >>"$log" 2>&1 || fail

cmake -S /usr/src/googletest -B "$work/gtest-build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF \
  -Dgtest_disable_pthreads=OFF >>"$log" 2>&1 || fail
cmake --build "$work/gtest-build" --target install >>"$log" 2>&1 || fail

# The licence texts of what the program links statically, for the installer and the zip.
mkdir -p "$prefix/licenses"
cp "$work/png/LICENSE" "$prefix/licenses/libpng.txt"
cp "$work/jpeg/LICENSE.md" "$prefix/licenses/libjpeg-turbo.md"
cp "$work/jpeg/README.ijg" "$prefix/licenses/libjpeg-ijg.txt"
cp "$work/sqlite/debian/copyright" "$prefix/licenses/sqlite.txt"
echo "Libraries for Windows built in $(( $(date +%s) - start )) s" >&2
touch "$prefix/.complete"
rm -rf "$work"
echo "$prefix"
