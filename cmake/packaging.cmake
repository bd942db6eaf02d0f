# Install rules and the Debian package (scripts/package.sh runs cpack with them).
#
#   bin/kerulo                         the launcher: a settings folder per user, one copy per display
#   lib/kerulo/kerulo                  the program, started by the launcher only
#   share/kerulo/GBTest.db, pic/       the shipped settings and pictures, copied per user
#   share/applications/io.github.kerulo.Kerulo.desktop  the menu entry
#   share/metainfo/io.github.kerulo.Kerulo.metainfo.xml  what software centres show
#   share/icons/hicolor/{48x48,128x128}/apps/kerulo.png, scalable/apps/kerulo.svg
#   share/man/man1/kerulo.1.gz, share/doc/kerulo/{copyright,changelog.gz}
#
# The package holds nothing that points back into the build or source tree.

set(KERULO_PACKAGE_MAINTAINER "Kerulo developers <kerulo@example.org>"
    CACHE STRING "The Maintainer field of the Debian package: name <address>")
set(KERULO_PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging)
# Files made for the package only. The run folder's database and pictures are not shipped:
# whoever ran the program from build/run may have changed the settings there or added pictures.
set(KERULO_PACKAGE_STAGE ${CMAKE_BINARY_DIR}/package-files)
set(KERULO_ICON_SIZES 48 128)

# The shipped settings database, fresh from its script.
set(KERULO_PACKAGE_DB ${KERULO_PACKAGE_STAGE}/GBTest.db)
add_custom_command(
  OUTPUT ${KERULO_PACKAGE_DB}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${KERULO_PACKAGE_STAGE}
  COMMAND ${CMAKE_COMMAND} -E rm -f ${KERULO_PACKAGE_DB}
  COMMAND ${SQLITE3_EXECUTABLE} -bail ${KERULO_PACKAGE_DB}
          ".read '${CMAKE_SOURCE_DIR}/resources/gbtest.sql'"
  DEPENDS ${CMAKE_SOURCE_DIR}/resources/gbtest.sql
  COMMENT "Creating the package's GBTest.db"
  VERBATIM)

# The shipped pictures: exactly what the drawing program makes, in a folder of their own.
set(KERULO_PACKAGE_PICTURES_STAMP ${KERULO_PACKAGE_STAGE}/pictures.stamp)
add_custom_command(
  OUTPUT ${KERULO_PACKAGE_PICTURES_STAMP}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${KERULO_PACKAGE_STAGE}/pic
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
          $<TARGET_FILE:kerulo_drawpictures> ${KERULO_PACKAGE_STAGE}/pic
  COMMAND ${CMAKE_COMMAND} -E touch ${KERULO_PACKAGE_PICTURES_STAMP}
  DEPENDS kerulo_drawpictures
  COMMENT "Drawing the package's follow pictures"
  VERBATIM)

# The icon theme's files, from the drawing the program shows in its tray.
add_executable(kerulo_drawappicon ${KERULO_PACKAGING_DIR}/drawappicon.cpp)
target_link_libraries(kerulo_drawappicon PRIVATE kerulo_ui)
set(KERULO_PACKAGE_ICONS)
foreach(size IN LISTS KERULO_ICON_SIZES)
  list(APPEND KERULO_PACKAGE_ICONS ${KERULO_PACKAGE_STAGE}/icons/${size}/kerulo.png)
endforeach()
add_custom_command(
  OUTPUT ${KERULO_PACKAGE_ICONS}
  COMMAND kerulo_drawappicon ${KERULO_PACKAGE_STAGE}/icons ${KERULO_ICON_SIZES}
  DEPENDS kerulo_drawappicon
  COMMENT "Drawing the program's icon for the icon theme"
  VERBATIM)

# The changelog and the manual page, compressed as Debian wants them: at the highest level and
# without the name and time stamp gzip would otherwise record.
find_program(GZIP_EXECUTABLE gzip REQUIRED)
string(TIMESTAMP KERULO_PACKAGE_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file(${KERULO_PACKAGING_DIR}/changelog.in ${KERULO_PACKAGE_STAGE}/changelog @ONLY)
set(KERULO_PACKAGE_CHANGELOG ${KERULO_PACKAGE_STAGE}/changelog.gz)
set(KERULO_PACKAGE_MANPAGE ${KERULO_PACKAGE_STAGE}/kerulo.1.gz)
foreach(pair "${KERULO_PACKAGE_STAGE}/changelog|${KERULO_PACKAGE_CHANGELOG}"
             "${KERULO_PACKAGING_DIR}/kerulo.1|${KERULO_PACKAGE_MANPAGE}")
  string(REPLACE "|" ";" pair "${pair}")
  list(GET pair 0 plain)
  list(GET pair 1 packed)
  add_custom_command(
    OUTPUT ${packed}
    COMMAND ${GZIP_EXECUTABLE} -9nc ${plain} > ${packed}
    DEPENDS ${plain})
endforeach()

add_custom_target(kerulo_package_files ALL
  DEPENDS ${KERULO_PACKAGE_DB} ${KERULO_PACKAGE_PICTURES_STAMP} ${KERULO_PACKAGE_ICONS}
          ${KERULO_PACKAGE_CHANGELOG} ${KERULO_PACKAGE_MANPAGE})

install(TARGETS kerulo RUNTIME DESTINATION lib/kerulo)
install(PROGRAMS ${KERULO_PACKAGING_DIR}/kerulo.sh DESTINATION bin RENAME kerulo)
install(FILES ${KERULO_PACKAGE_DB} DESTINATION share/kerulo)
install(DIRECTORY ${KERULO_PACKAGE_STAGE}/pic/ DESTINATION share/kerulo/pic)
install(FILES ${KERULO_PACKAGING_DIR}/io.github.kerulo.Kerulo.desktop DESTINATION share/applications)
install(FILES ${KERULO_PACKAGING_DIR}/io.github.kerulo.Kerulo.metainfo.xml DESTINATION share/metainfo)
foreach(size IN LISTS KERULO_ICON_SIZES)
  install(FILES ${KERULO_PACKAGE_STAGE}/icons/${size}/kerulo.png
          DESTINATION share/icons/hicolor/${size}x${size}/apps)
endforeach()
# The same drawing as the PNG sizes, written by hand after app/appicon.cpp.
install(FILES ${KERULO_PACKAGING_DIR}/kerulo.svg DESTINATION share/icons/hicolor/scalable/apps)
install(FILES ${KERULO_PACKAGE_MANPAGE} DESTINATION share/man/man1)
install(FILES ${KERULO_PACKAGING_DIR}/copyright ${KERULO_PACKAGE_CHANGELOG}
        DESTINATION share/doc/kerulo)

# The Debian package. Its version is the project's.
find_program(DPKG_EXECUTABLE dpkg REQUIRED)
execute_process(COMMAND ${DPKG_EXECUTABLE} --print-architecture
  OUTPUT_VARIABLE KERULO_PACKAGE_ARCH OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
set(KERULO_DEB_FILE_NAME kerulo_${PROJECT_VERSION}_${KERULO_PACKAGE_ARCH}.deb)
set(KERULO_DEB_FILE ${CMAKE_BINARY_DIR}/${KERULO_DEB_FILE_NAME})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kerulo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES TRUE)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "presentation aid: pointer picture or halo, and a pen over the screen")
# Extended description lines stay within 80 columns, for terminal users of apt.
set(CPACK_PACKAGE_DESCRIPTION
  "Kerulo helps a teacher or speaker whose desktop is projected for an
audience. A picture rides with the mouse pointer, or a round see-through
halo stays centred on it, so the audience can follow the pointer; a pen
draws lines, rectangles, ellipses and freehand strokes straight over
whatever is on the screen.

An edge toolbar at the right of the screen, a tray icon and the keys F8,
F7 and Esc switch the effects. Each user keeps their own settings and
pictures. Runs on X11 desktops; the user interface is in simplified
Chinese.")
set(CPACK_DEBIAN_FILE_NAME ${KERULO_DEB_FILE_NAME})
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${KERULO_PACKAGE_ARCH})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${KERULO_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
# The libraries the program links come from dpkg-shlibdeps. Qt loads its X11 platform plugin
# only at run time, so no library dependency names that one; without it the program cannot
# open a window at all.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The X11 window mover uses Qt's platform interface, whose binary interface holds only within
# one Qt version: the package needs the very version it was built against, as Debian's Qt
# provides it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-base-abi (= ${Qt6_VERSION})")
# The user interface is Chinese; without a CJK font its captions show as boxes.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wqy-microhei")
include(CPack)
