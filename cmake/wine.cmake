# Runs the cross-built programs (the tests, and the drawing programs that make the pictures at build
# time) under Wine: a runner script with the folders of Qt's and the MinGW runtime's DLLs on Wine's
# search path and a Wine prefix of the build tree's own, where a crash ends the program instead of
# waiting for a click on Wine's crash dialog.
find_program(KERULO_WINE wine64 wine REQUIRED)
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
if [ ! -f \"$WINEPREFIX/.kerulo\" ]; then
  '${KERULO_WINE}' reg add 'HKCU\\\\Software\\\\Wine\\\\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  touch \"$WINEPREFIX/.kerulo\"
fi
exec '${KERULO_WINE}' \"$@\"
")
file(CHMOD ${CMAKE_BINARY_DIR}/wine-run PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
  GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)
