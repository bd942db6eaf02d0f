#!/usr/bin/env bash
# windows_package_test.sh CASE: checks what the Windows build ships (see CMakeLists.txt here for
# the environment it gets). Cases:
#   run_folder  every DLL that kerulo.exe and the shipped DLLs and plugins import is in the run
#               folder or is Windows' own; the manifest and version are in kerulo.exe
#   icon        kerulo.ico holds each size as a PNG of that size where its directory says
#   zip         the zip's one top folder Kerulo\ holds the program, its DLLs, the settings,
#               pictures, licences and readme, and no install marker
#   installer   a silent install under Wine puts the files, the marker, the Start-menu shortcut
#               and the uninstall key in place; a silent uninstall removes them and leaves the
#               user's settings in %APPDATA%\Kerulo alone
set -uo pipefail
case_name=$1
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
expect_file() { [ -f "$1" ] || fail "missing: $1"; }
finish() {
  [ "$failures" -eq 0 ] && { echo "ok: $case_name"; exit 0; }
  echo "$failures failure(s) in $case_name"
  exit 1
}

# What the program needs beside itself, as paths relative to its folder.
shipped_runtime=(
  kerulo.exe Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll
  libgcc_s_seh-1.dll libstdc++-6.dll libwinpthread-1.dll
  platforms/qwindows.dll styles/qwindowsvistastyle.dll
  imageformats/qico.dll imageformats/qjpeg.dll
)
shipped_data=(
  GBTest.db pic/ring.png pic/arrow.png pic/hand.png readme.txt
  licenses/README.txt licenses/Kerulo.txt licenses/qt/README.txt licenses/qt/LGPL-3.0-only.txt
  licenses/qt/GPL-3.0-only.txt licenses/qt/third-party/zlib.txt licenses/qt/third-party/pcre2.txt
  licenses/qt/third-party/harfbuzz-ng.txt licenses/qt/third-party/freetype.txt
  licenses/qt/third-party/libpng.txt licenses/qt/third-party/libjpeg-1.txt
  licenses/qt/third-party/md4c.txt licenses/qt/third-party/doubleconversion.txt
  licenses/sqlite.txt licenses/libpng.txt licenses/libjpeg-turbo.md licenses/zlib.txt
  licenses/gcc-runtime.txt licenses/mingw-w64-runtime.txt
)

imports_of() {
  "$KERULO_OBJDUMP" -p "$1" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' | tr -d '\r'
}

check_run_folder() {
  local dir=$KERULO_RUN_DIR system=$KERULO_BUILD/wineprefix/drive_c/windows/system32
  for f in "${shipped_runtime[@]}" GBTest.db; do expect_file "$dir/$f"; done
  [ -d "$system" ] || { fail "no Wine system folder to tell Windows' DLLs by: $system"; return; }
  local shipped=() pe dll
  while IFS= read -r pe; do shipped+=("$pe"); done < <(cd "$dir" && find . -iname '*.exe' -o -iname '*.dll' | sort)
  [ "${#shipped[@]}" -gt 5 ] || fail "run folder holds only: ${shipped[*]}"
  local zlib_needed=no
  for pe in "${shipped[@]}"; do
    while IFS= read -r dll; do
      [ "$dll" = zlib1.dll ] && zlib_needed=yes
      if [ -f "$dir/$dll" ] || [ -n "$(find "$dir" -maxdepth 1 -iname "$dll" -print -quit)" ]; then
        continue
      fi
      # API sets are names Windows resolves itself; no file of that name needs to exist.
      case "$dll" in api-ms-win-* | ext-ms-win-*) continue ;; esac
      [ -n "$(find "$system" -maxdepth 1 -iname "$dll" -print -quit)" ] \
        || fail "$pe imports $dll, which is neither in the run folder nor Windows' own"
    done < <(imports_of "$dir/$pe")
  done
  # zlib1.dll is shipped only when something imports it.
  if [ "$zlib_needed" = no ] && [ -f "$dir/zlib1.dll" ]; then
    fail "zlib1.dll is in the run folder though nothing imports it"
  fi
  # The manifest and the version information are in the program's resources.
  local exe=$dir/kerulo.exe
  for text in PerMonitorV2 'true/pm' Microsoft.Windows.Common-Controls asInvoker; do
    grep -aq -- "$text" "$exe" || fail "kerulo.exe's manifest lacks $text"
  done
  # The icon group, the manifest under the number Windows reads at process creation, and the
  # version, as windres reads the program's resources back.
  local resources
  resources=$("$KERULO_WINDRES" -i "$exe" -O rc 2>&1)
  [ "$(grep -c 'RT_ICON \*/' <<<"$resources")" = 8 ] || fail "kerulo.exe does not hold the icon's 8 images"
  grep -q '^"IDI_ICON1" 14 /\* RT_GROUP_ICON' <<<"$resources" || fail "kerulo.exe has no icon group"
  grep -q '^1 24 /\* RT_MANIFEST' <<<"$resources" || fail "kerulo.exe has no manifest resource 1"
  grep -qF "VALUE \"ProductVersion\", \"$KERULO_VERSION\"" <<<"$resources" \
    || fail "kerulo.exe's version information does not give $KERULO_VERSION"
}

# Little-endian unsigned integer of $3 bytes at offset $2 of file $1.
le() { od -An -tu"$3" -j"$2" -N"$3" --endian=little "$1" | tr -d ' '; }
be32() { od -An -tu4 -j"$2" -N4 --endian=big "$1" | tr -d ' '; }

check_icon() {
  local ico=$KERULO_ICO expected=(16 20 24 32 40 48 64 256)
  expect_file "$ico"
  [ "$(le "$ico" 0 2)" = 0 ] && [ "$(le "$ico" 2 2)" = 1 ] || fail "not an icon file's header"
  local count size_on_disk
  count=$(le "$ico" 4 2)
  [ "$count" = "${#expected[@]}" ] || fail "icon holds $count images, not ${#expected[@]}"
  size_on_disk=$(stat -c %s "$ico")
  local i end=$((6 + 16 * count))
  for ((i = 0; i < count && i < ${#expected[@]}; i++)); do
    local entry=$((6 + 16 * i)) want=${expected[$i]}
    local w h bytes offset
    w=$(le "$ico" "$entry" 1); h=$(le "$ico" $((entry + 1)) 1)
    [ "$w" = 0 ] && w=256
    [ "$h" = 0 ] && h=256
    bytes=$(le "$ico" $((entry + 8)) 4); offset=$(le "$ico" $((entry + 12)) 4)
    [ "$w" = "$want" ] && [ "$h" = "$want" ] || fail "image $i is listed as ${w}x$h, not ${want}x$want"
    [ "$offset" = "$end" ] || fail "image $i starts at $offset, not right after the one before ($end)"
    [ $((offset + bytes)) -le "$size_on_disk" ] || fail "image $i runs past the end of the file"
    end=$((offset + bytes))
    [ "$(od -An -tx1 -j"$offset" -N8 "$ico" | tr -d ' ')" = 89504e470d0a1a0a ] \
      || fail "image $i is not a PNG"
    # The PNG's own width and height (IHDR, right after its 8-byte signature and 8-byte chunk head).
    [ "$(be32 "$ico" $((offset + 16)))" = "$want" ] && [ "$(be32 "$ico" $((offset + 20)))" = "$want" ] \
      || fail "image $i's PNG is not ${want}x$want"
  done
  [ "$end" = "$size_on_disk" ] || fail "icon file has $((size_on_disk - end)) bytes after its images"
}

zip_files() { unzip -Z1 "$KERULO_ZIP" | grep -v '/$' | sort; }

check_zip() {
  expect_file "$KERULO_ZIP"
  [ "$(basename "$KERULO_ZIP")" = "kerulo-$KERULO_VERSION-windows-x86_64.zip" ] \
    || fail "zip is named $(basename "$KERULO_ZIP")"
  local listing
  listing=$(zip_files)
  [ -z "$(grep -v '^Kerulo/' <<<"$listing")" ] || fail "entries outside Kerulo/: $(grep -v '^Kerulo/' <<<"$listing" | head -3)"
  for f in "${shipped_runtime[@]}" "${shipped_data[@]}"; do
    grep -qxF "Kerulo/$f" <<<"$listing" || fail "zip lacks Kerulo/$f"
  done
  for f in kerulo.installed uninstall.exe; do
    grep -qixF "Kerulo/$f" <<<"$listing" && fail "zip holds Kerulo/$f"
  done
  # The shipped settings database is a real one, not an empty file.
  local db
  db=$(mktemp -d "${TMPDIR:-/tmp}/kerulo-zip.XXXXXX")
  unzip -q "$KERULO_ZIP" Kerulo/GBTest.db -d "$db"
  [ "$(head -c 15 "$db/Kerulo/GBTest.db")" = "SQLite format 3" ] || fail "Kerulo/GBTest.db is no SQLite database"
  rm -rf "$db"
}

check_installer() {
  expect_file "$KERULO_INSTALLER"
  [ "$(basename "$KERULO_INSTALLER")" = "kerulo-setup-$KERULO_VERSION.exe" ] \
    || fail "installer is named $(basename "$KERULO_INSTALLER")"
  # A Wine prefix of this test's own, made afresh: no leftovers of an earlier run or of the
  # build's prefix. No display and no search path: the installed program must need neither.
  rm -rf "$KERULO_TEST_TMP"
  mkdir -p "$KERULO_TEST_TMP"
  export WINEPREFIX=$KERULO_TEST_TMP/wineprefix WINEARCH=win64 WINEDEBUG=-all
  export WINEDLLOVERRIDES='mscoree,mshtml='
  unset WINEPATH DISPLAY WAYLAND_DISPLAY
  wine() { "$KERULO_WINE" "$@"; }
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  "$KERULO_WINESERVER" -w

  local appdata
  appdata=$(wine winepath -u "$(wine cmd /c echo %APPDATA% 2>/dev/null | tr -d '\r')" 2>/dev/null)
  [ -n "$appdata" ] || { fail "cannot find %APPDATA% in the prefix"; finish; }
  mkdir -p "$appdata/Kerulo"
  echo "a user's own settings" >"$appdata/Kerulo/GBTest.db"

  wine "$KERULO_INSTALLER" /S >"$KERULO_TEST_TMP/install.log" 2>&1
  local status=$?
  "$KERULO_WINESERVER" -w
  [ "$status" = 0 ] || fail "installer exited with $status: $(tail -5 "$KERULO_TEST_TMP/install.log")"

  local drive=$WINEPREFIX/drive_c
  local dir="$drive/Program Files/Kerulo"
  [ -d "$dir" ] || { fail "nothing in $dir; drive C holds: $(ls "$drive" "$drive/Program Files (x86)" 2>&1)"; finish; }
  [ -e "$drive/Program Files (x86)/Kerulo" ] && fail "installed into the 32-bit Program Files"
  for f in "${shipped_runtime[@]}" "${shipped_data[@]}" uninstall.exe; do expect_file "$dir/$f"; done
  expect_file "$dir/kerulo.installed"
  [ -s "$dir/kerulo.installed" ] && fail "kerulo.installed is not empty"
  # The installer ships exactly what the zip does, plus the marker and the uninstaller.
  local installed zipped
  installed=$(cd "$dir" && find . -type f | sed 's|^\./||' | grep -vxE 'kerulo\.installed|uninstall\.exe' | sort)
  zipped=$(zip_files | sed 's|^Kerulo/||')
  [ "$installed" = "$zipped" ] || fail "installed files differ from the zip's: $(diff <(echo "$installed") <(echo "$zipped") | head -5)"
  [ "$(cat "$appdata/Kerulo/GBTest.db")" = "a user's own settings" ] || fail "install changed %APPDATA%\\Kerulo"

  local shortcut="$drive/ProgramData/Microsoft/Windows/Start Menu/Programs/Kerulo.lnk"
  expect_file "$shortcut"
  grep -aq 'kerulo.exe' "$shortcut" 2>/dev/null || fail "the shortcut does not point to kerulo.exe"

  # wineserver has written the registry out on exiting; the 64-bit view is the plain path.
  # In system.reg each backslash of a key or a value is doubled.
  local key='[Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Kerulo]'
  local values
  values=$(key=$key awk 'index($0, ENVIRON["key"]) == 1 { on = 1; next } /^\[/ { on = 0 } on' "$WINEPREFIX/system.reg")
  [ -n "$values" ] || fail "no uninstall key in the 64-bit registry view"
  grep -q 'Wow6432Node\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\Kerulo' "$WINEPREFIX/system.reg" \
    && fail "the uninstall key is in the 32-bit registry view"
  local name value
  for pair in 'DisplayName=Kerulo' "DisplayVersion=$KERULO_VERSION" 'Publisher=Kerulo developers' \
              'DisplayIcon=C:\\Program Files\\Kerulo\\kerulo.exe,0' \
              'UninstallString=\"C:\\Program Files\\Kerulo\\uninstall.exe\"'; do
    name=${pair%%=*} value=${pair#*=}
    grep -qxF "\"$name\"=\"$value\"" <<<"$values" || fail "uninstall key: $name is not $value: $(grep "\"$name\"" <<<"$values")"
  done

  # The size Add/Remove Programs shows, in KiB: about that of the installed files.
  local estimated actual
  estimated=$(sed -n 's/^"EstimatedSize"=dword:\([0-9a-f]*\)$/\1/p' <<<"$values")
  actual=$(du -sk "$dir" | cut -f1)
  if [ -z "$estimated" ]; then
    fail "uninstall key: no EstimatedSize"
  elif [ $((16#$estimated)) -lt $((actual * 3 / 4)) ] || [ $((16#$estimated)) -gt $((actual * 5 / 4)) ]; then
    fail "uninstall key: EstimatedSize $((16#$estimated)) KiB, the files take $actual KiB"
  fi

  wine "$dir/uninstall.exe" /S >"$KERULO_TEST_TMP/uninstall.log" 2>&1
  status=$?
  "$KERULO_WINESERVER" -w
  [ "$status" = 0 ] || fail "uninstaller exited with $status"
  [ -e "$dir" ] && fail "uninstall left $(cd "$dir" && find . | head -5 | tr '\n' ' ')"
  [ -e "$shortcut" ] && fail "uninstall left the Start-menu shortcut"
  grep -qF "$key" "$WINEPREFIX/system.reg" && fail "uninstall left the uninstall key"
  [ "$(cat "$appdata/Kerulo/GBTest.db" 2>/dev/null)" = "a user's own settings" ] \
    || fail "uninstall removed or changed %APPDATA%\\Kerulo\\GBTest.db"
}

case "$case_name" in
  run_folder) check_run_folder ;;
  icon) check_icon ;;
  zip) check_zip ;;
  installer) check_installer ;;
  *) echo "unknown case: $case_name"; exit 2 ;;
esac
finish
