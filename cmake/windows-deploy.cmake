# cmake -DEXE=<kerulo.exe> -DDEST=<folder> -DQT_DIR=<Qt for Windows> -DMINGW_DLLS=<a|b> \
#       -DOBJDUMP=<objdump> -DZLIB_DLL=<zlib1.dll> -P windows-deploy.cmake
#
# Puts beside EXE in DEST what it needs to start from that folder alone: Qt's DLLs, the windows
# platform plugin, the native style, the image format plugins, the posix-thread MinGW runtime,
# and zlib1.dll when the program imports it (libpng links it). Qt finds its plugins in the
# program's own folder because no qt.conf says otherwise.
foreach(var EXE DEST QT_DIR MINGW_DLLS OBJDUMP ZLIB_DLL)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "windows-deploy.cmake: ${var} is not set")
  endif()
endforeach()

file(MAKE_DIRECTORY ${DEST})
file(COPY ${EXE} DESTINATION ${DEST})
foreach(dll Qt6Core Qt6Gui Qt6Widgets)
  file(COPY ${QT_DIR}/bin/${dll}.dll DESTINATION ${DEST})
endforeach()
file(COPY ${QT_DIR}/plugins/platforms/qwindows.dll DESTINATION ${DEST}/platforms)
file(COPY ${QT_DIR}/plugins/styles/qwindowsvistastyle.dll DESTINATION ${DEST}/styles)
foreach(format qico qjpeg qgif)
  if(EXISTS ${QT_DIR}/plugins/imageformats/${format}.dll)
    file(COPY ${QT_DIR}/plugins/imageformats/${format}.dll DESTINATION ${DEST}/imageformats)
  endif()
endforeach()
string(REPLACE "|" ";" MINGW_DLLS "${MINGW_DLLS}")
file(COPY ${MINGW_DLLS} DESTINATION ${DEST})

execute_process(COMMAND ${OBJDUMP} -p ${EXE} OUTPUT_VARIABLE imports COMMAND_ERROR_IS_FATAL ANY)
if(imports MATCHES "DLL Name: zlib1.dll")
  file(COPY ${ZLIB_DLL} DESTINATION ${DEST})
else()
  file(REMOVE ${DEST}/zlib1.dll)
endif()
