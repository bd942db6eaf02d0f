# cmake -DSTAGE=<folder> ... -P windows-stage.cmake  (the variables are those set by
# cmake/windows.cmake's kerulo_windows_stage target, and those of windows-deploy.cmake)
#
# Fills STAGE afresh with what the installer and the zip ship, as the zip's top folder Kerulo\:
# kerulo.exe and what it needs to start (windows-deploy.cmake), a settings database fresh from
# its script and the follow pictures as the drawing program makes them (never the run folder's,
# which whoever ran the program there may have changed), licenses\ and readme.txt. Also writes
# UNINSTALL_LIST, the uninstaller's lines that delete exactly these files and then their folders.
foreach(var STAGE STRIP SQLITE3 SETTINGS_SQL DRAWPICTURES EMULATOR KERULO_LICENSE QT_LICENSES
            LIBS_LICENSES GCC_COPYRIGHT MINGW_COPYRIGHT ZLIB_COPYRIGHT LICENSES_INDEX README
            UNINSTALL_LIST)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "windows-stage.cmake: ${var} is not set")
  endif()
endforeach()

file(REMOVE_RECURSE ${STAGE})
set(DEST ${STAGE})
include(${CMAKE_CURRENT_LIST_DIR}/windows-deploy.cmake)
# Without their symbols and debugging sections the program and the DLLs are a third smaller.
file(GLOB_RECURSE binaries ${STAGE}/*.exe ${STAGE}/*.dll)
foreach(binary IN LISTS binaries)
  execute_process(COMMAND ${STRIP} --strip-unneeded ${binary} COMMAND_ERROR_IS_FATAL ANY)
endforeach()

execute_process(COMMAND ${SQLITE3} -bail ${STAGE}/GBTest.db ".read '${SETTINGS_SQL}'"
  COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
  ${EMULATOR} ${DRAWPICTURES} ${STAGE}/pic COMMAND_ERROR_IS_FATAL ANY)

set(licenses ${STAGE}/licenses)
file(MAKE_DIRECTORY ${licenses})
file(COPY_FILE ${KERULO_LICENSE} ${licenses}/Kerulo.txt)
file(COPY_FILE ${LICENSES_INDEX} ${licenses}/README.txt)
file(COPY ${QT_LICENSES}/ DESTINATION ${licenses}/qt PATTERN .complete EXCLUDE)
file(COPY ${LIBS_LICENSES}/ DESTINATION ${licenses})
file(COPY_FILE ${GCC_COPYRIGHT} ${licenses}/gcc-runtime.txt)
file(COPY_FILE ${MINGW_COPYRIGHT} ${licenses}/mingw-w64-runtime.txt)
file(COPY_FILE ${ZLIB_COPYRIGHT} ${licenses}/zlib.txt)
file(COPY_FILE ${README} ${STAGE}/readme.txt)

file(GLOB_RECURSE files RELATIVE ${STAGE} ${STAGE}/*)
file(GLOB_RECURSE entries LIST_DIRECTORIES true RELATIVE ${STAGE} ${STAGE}/*)
set(folders ${entries})
list(REMOVE_ITEM folders ${files})
list(SORT files)
# Deepest folders first, so each is empty when its turn comes.
list(SORT folders ORDER DESCENDING)
set(lines "; Made by cmake/windows-stage.cmake: the files the installer puts in $INSTDIR.\n")
foreach(f IN LISTS files)
  string(REPLACE "/" "\\" f "${f}")
  string(APPEND lines "Delete \"$INSTDIR\\${f}\"\n")
endforeach()
foreach(d IN LISTS folders)
  string(REPLACE "/" "\\" d "${d}")
  string(APPEND lines "RMDir \"$INSTDIR\\${d}\"\n")
endforeach()
file(WRITE ${UNINSTALL_LIST} "${lines}")
