# The Windows program's resources, its run folder, and what is shipped: the portable zip and the
# installer. Included by the top CMakeLists.txt before it defines the kerulo target, which takes
# KERULO_WINDOWS_RESOURCES among its sources.
#
#   KERULO_WINDOWS_RESOURCES   kerulo.rc: the icon, the manifest and the version information
#   kerulo_windows_runtime     (all) Qt's DLLs and plugins and the MinGW runtime into the run folder
#   kerulo_windows_stage       windows-package/Kerulo/, the shipped files (cmake/windows-stage.cmake)
#   windows-zip                kerulo-<version>-windows-x86_64.zip, of that folder
#   windows-installer          kerulo-setup-<version>.exe, made by makensis from packaging/windows/kerulo.nsi
#
# KERULO_QT_LICENSES is the folder of Qt's licence texts gathered by scripts/win/qt-licenses.sh;
# KERULO_WIN_LIBS (scripts/win/libs.sh) holds those of SQLite, libpng and libjpeg in licenses/.
set(KERULO_QT_LICENSES "" CACHE PATH "Qt's licence texts for Windows (scripts/win/qt-licenses.sh)")
if(NOT EXISTS "${KERULO_QT_LICENSES}/LGPL-3.0-only.txt")
  message(FATAL_ERROR "KERULO_QT_LICENSES does not hold Qt's licences; scripts/windows.sh sets it")
endif()
find_program(KERULO_MAKENSIS makensis REQUIRED)
find_program(KERULO_ZIP zip REQUIRED)
enable_language(RC)

set(KERULO_WINDOWS_DIR ${CMAKE_SOURCE_DIR}/packaging/windows)
set(KERULO_WINDOWS_BUILD ${CMAKE_BINARY_DIR}/windows)
get_filename_component(KERULO_QT_DIR "${Qt6_DIR}/../../.." ABSOLUTE)
set(KERULO_QT_VERSION ${Qt6_VERSION})
set(KERULO_MINGW_DLLS
  ${KERULO_MINGW_RUNTIME_DIR}/libgcc_s_seh-1.dll
  ${KERULO_MINGW_RUNTIME_DIR}/libstdc++-6.dll
  /usr/${KERULO_MINGW_TRIPLET}/lib/libwinpthread-1.dll)
set(KERULO_ZLIB_DLL /usr/${KERULO_MINGW_TRIPLET}/lib/zlib1.dll)

# Windows wants four numbers where the project has two or three.
string(REPLACE "." ";" version_parts "${PROJECT_VERSION}")
list(LENGTH version_parts version_count)
while(version_count LESS 4)
  list(APPEND version_parts 0)
  math(EXPR version_count "${version_count} + 1")
endwhile()
list(JOIN version_parts "," KERULO_VERSION_COMMAS)
list(JOIN version_parts "." KERULO_VERSION_DOTS)

# The icon, drawn by packaging/drawappicon.cpp under Wine at the sizes Explorer and the taskbar use.
add_executable(kerulo_drawappicon ${CMAKE_SOURCE_DIR}/packaging/drawappicon.cpp)
target_link_libraries(kerulo_drawappicon PRIVATE kerulo_ui)
set(KERULO_WINDOWS_ICO ${KERULO_WINDOWS_BUILD}/kerulo.ico)
add_custom_command(
  OUTPUT ${KERULO_WINDOWS_ICO}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${KERULO_WINDOWS_BUILD}
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ${CMAKE_CROSSCOMPILING_EMULATOR}
          $<TARGET_FILE:kerulo_drawappicon> --ico ${KERULO_WINDOWS_ICO} 16 20 24 32 40 48 64 256
  DEPENDS kerulo_drawappicon
  COMMENT "Drawing the program's Windows icon"
  VERBATIM)

set(KERULO_WINDOWS_MANIFEST ${KERULO_WINDOWS_BUILD}/kerulo.manifest)
configure_file(${KERULO_WINDOWS_DIR}/kerulo.manifest ${KERULO_WINDOWS_MANIFEST} @ONLY)
set(KERULO_WINDOWS_RESOURCES ${KERULO_WINDOWS_BUILD}/kerulo.rc)
configure_file(${KERULO_WINDOWS_DIR}/kerulo.rc ${KERULO_WINDOWS_RESOURCES} @ONLY)
set_source_files_properties(${KERULO_WINDOWS_RESOURCES} PROPERTIES
  OBJECT_DEPENDS "${KERULO_WINDOWS_ICO};${KERULO_WINDOWS_MANIFEST}")

# A list on a custom command's line would become separate arguments: "|" separates them there.
string(REPLACE ";" "|" mingw_dlls "${KERULO_MINGW_DLLS}")
set(KERULO_WINDOWS_DEPLOY_ARGS
  -DQT_DIR=${KERULO_QT_DIR} -DMINGW_DLLS=${mingw_dlls} -DOBJDUMP=${CMAKE_OBJDUMP}
  -DZLIB_DLL=${KERULO_ZLIB_DLL} -DEXE=$<TARGET_FILE:kerulo>)
add_custom_target(kerulo_windows_runtime ALL
  COMMAND ${CMAKE_COMMAND} ${KERULO_WINDOWS_DEPLOY_ARGS} -DDEST=${KERULO_RUN_DIR}
          -P ${CMAKE_SOURCE_DIR}/cmake/windows-deploy.cmake
  COMMENT "Putting Qt and the MinGW runtime beside kerulo.exe"
  VERBATIM)
add_dependencies(kerulo_windows_runtime kerulo)

# What is shipped, in windows-package/Kerulo/, made afresh each time.
set(KERULO_WINDOWS_PACKAGE ${CMAKE_BINARY_DIR}/windows-package)
set(KERULO_WINDOWS_STAGE ${KERULO_WINDOWS_PACKAGE}/Kerulo)
set(KERULO_WINDOWS_UNINSTALL_LIST ${KERULO_WINDOWS_BUILD}/uninstall-files.nsh)
configure_file(${KERULO_WINDOWS_DIR}/readme.txt ${KERULO_WINDOWS_BUILD}/readme.txt @ONLY
  NEWLINE_STYLE CRLF)
configure_file(${KERULO_WINDOWS_DIR}/licenses.txt ${KERULO_WINDOWS_BUILD}/licenses.txt @ONLY
  NEWLINE_STYLE CRLF)
add_custom_target(kerulo_windows_stage
  COMMAND ${CMAKE_COMMAND} ${KERULO_WINDOWS_DEPLOY_ARGS}
          -DSTAGE=${KERULO_WINDOWS_STAGE} -DSTRIP=${CMAKE_STRIP}
          -DSQLITE3=${SQLITE3_EXECUTABLE}
          -DSETTINGS_SQL=${CMAKE_SOURCE_DIR}/resources/gbtest.sql
          -DDRAWPICTURES=$<TARGET_FILE:kerulo_drawpictures>
          -DEMULATOR=${CMAKE_CROSSCOMPILING_EMULATOR}
          -DKERULO_LICENSE=${CMAKE_SOURCE_DIR}/LICENSE
          -DQT_LICENSES=${KERULO_QT_LICENSES}
          -DLIBS_LICENSES=${KERULO_WIN_LIBS}/licenses
          -DGCC_COPYRIGHT=/usr/share/doc/gcc-mingw-w64-x86-64-posix-runtime/copyright
          -DMINGW_COPYRIGHT=/usr/share/doc/mingw-w64-x86-64-dev/copyright
          -DZLIB_COPYRIGHT=/usr/share/doc/libz-mingw-w64/copyright
          -DLICENSES_INDEX=${KERULO_WINDOWS_BUILD}/licenses.txt
          -DREADME=${KERULO_WINDOWS_BUILD}/readme.txt
          -DUNINSTALL_LIST=${KERULO_WINDOWS_UNINSTALL_LIST}
          -P ${CMAKE_SOURCE_DIR}/cmake/windows-stage.cmake
  COMMENT "Gathering the shipped files in windows-package/Kerulo"
  VERBATIM)
add_dependencies(kerulo_windows_stage kerulo kerulo_drawpictures)

set(KERULO_WINDOWS_ZIP ${CMAKE_BINARY_DIR}/kerulo-${PROJECT_VERSION}-windows-x86_64.zip)
add_custom_target(windows-zip
  COMMAND ${CMAKE_COMMAND} -E rm -f ${KERULO_WINDOWS_ZIP}
  # -X leaves out Unix owners and extra time stamps, which Windows does not use.
  COMMAND ${KERULO_ZIP} -q -r -X -9 ${KERULO_WINDOWS_ZIP} Kerulo
  WORKING_DIRECTORY ${KERULO_WINDOWS_PACKAGE}
  COMMENT "Packing kerulo-${PROJECT_VERSION}-windows-x86_64.zip"
  VERBATIM)
add_dependencies(windows-zip kerulo_windows_stage)

set(KERULO_WINDOWS_INSTALLER ${CMAKE_BINARY_DIR}/kerulo-setup-${PROJECT_VERSION}.exe)
add_custom_target(windows-installer
  COMMAND ${KERULO_MAKENSIS} -V2 -NOCD
          -DVERSION=${PROJECT_VERSION} -DVERSION4=${KERULO_VERSION_DOTS}
          -DSTAGE=${KERULO_WINDOWS_STAGE} -DUNINSTALL_LIST=${KERULO_WINDOWS_UNINSTALL_LIST}
          -DICON=${KERULO_WINDOWS_ICO} -DLICENSE=${CMAKE_SOURCE_DIR}/LICENSE
          -DOUTFILE=${KERULO_WINDOWS_INSTALLER}
          ${KERULO_WINDOWS_DIR}/kerulo.nsi
  COMMENT "Making kerulo-setup-${PROJECT_VERSION}.exe"
  VERBATIM)
add_dependencies(windows-installer kerulo_windows_stage)
# windows-zip and windows-installer both stage; built together, they must not do it at once.
add_dependencies(windows-installer windows-zip)
