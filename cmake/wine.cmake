# Runs the cross-built programs (the tests, and the drawing programs that make the pictures at build
# time) under Wine: a runner script with the folders of Qt's and the MinGW runtime's DLLs on Wine's
# search path and a Wine prefix of the build tree's own, where a crash ends the program instead of
# waiting for a click on Wine's crash dialog.
find_program(KERULO_WINE wine64 wine REQUIRED)
find_program(KERULO_WINESERVER wineserver REQUIRED)
find_program(KERULO_FLOCK flock REQUIRED)
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libstdc++-6.dll
  OUTPUT_VARIABLE KERULO_MINGW_STDCXX OUTPUT_STRIP_TRAILING_WHITESPACE)
get_filename_component(KERULO_MINGW_RUNTIME_DIR ${KERULO_MINGW_STDCXX} DIRECTORY)
get_filename_component(KERULO_QT_BIN_DIR "${Qt6_DIR}/../../../bin" ABSOLUTE)
set(KERULO_WINEPATH
  "${KERULO_QT_BIN_DIR};${KERULO_MINGW_RUNTIME_DIR};/usr/${KERULO_MINGW_TRIPLET}/lib")
set(KERULO_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
file(WRITE ${CMAKE_BINARY_DIR}/wine-run
"#!/bin/sh
# Made by CMake: runs a program of this build tree under Wine, in the build tree's Wine prefix or
# in the one KERULO_WINEPREFIX names (a test's own).
export WINEPREFIX=\"\${KERULO_WINEPREFIX:-${KERULO_WINEPREFIX}}\" WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml='
export WINEPATH='${KERULO_WINEPATH}'
# The wineserver and the services Wine starts with the first program of a session keep the
# output they inherit open for as long as they run: a test that started them would not end, for
# CTest, before the last of the run. They are started here, one program at a time, with no output
# of a test's, nor the lock (which they would hold for as long as they run); the server stays 30
# seconds after its last program, and while one runs, starting another does nothing.
(
  '${KERULO_FLOCK}' 9
  if '${KERULO_WINESERVER}' -p30 </dev/null >/dev/null 2>&1 9>&-; then
    '${KERULO_WINE}' wineboot </dev/null >/dev/null 2>&1 9>&-
  fi
  if [ ! -f \"$WINEPREFIX/.kerulo\" ]; then
    '${KERULO_WINE}' reg add 'HKCU\\\\Software\\\\Wine\\\\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f </dev/null >/dev/null 2>&1 9>&-
    touch \"$WINEPREFIX/.kerulo\"
  fi
) 9>'${CMAKE_BINARY_DIR}/wine-run.lock'
'${KERULO_WINE}' \"$@\"
status=$?
# A program that Wine failed to start leaves no other trace.
[ $status -eq 0 ] || echo \"wine-run: $1 ended with status $status\" >&2
exit $status
")
file(CHMOD ${CMAKE_BINARY_DIR}/wine-run PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
  GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)
