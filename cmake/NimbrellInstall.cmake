# SPDX-License-Identifier: GPL-3.0-or-later
# Install rules: the program and the scene tool, the menu entry, the icons, the
# AppStream metadata, the manual pages and the package's documents.
# `cmake --install BUILD [--prefix P]` honours DESTDIR.
include(GNUInstallDirs)

set(NIMBRELL_APP_ID org.nimbrell.nimbrell)
set(desktop_sources ${PROJECT_SOURCE_DIR}/resources/desktop)
set(desktop_build ${PROJECT_BINARY_DIR}/desktop)

# Fail before copying anything, and say why, when the target cannot be written
# or its path cannot be used.
install(CODE [[
  set(nimbrell_root "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
  string(ASCII 1 nimbrell_first_control)
  string(ASCII 31 nimbrell_last_control)
  string(ASCII 127 nimbrell_delete)
  string(FIND "${nimbrell_root}" "\\" nimbrell_backslash)
  if(nimbrell_root MATCHES "[${nimbrell_first_control}-${nimbrell_last_control}${nimbrell_delete}]")
    message(FATAL_ERROR "Cannot install into \"${nimbrell_root}\": the path holds a control "
      "character, which a menu entry cannot run. Choose another DESTDIR or prefix.")
  elseif(NOT nimbrell_backslash EQUAL -1)
    # CMake reads a backslash in a path as a folder separator.
    message(FATAL_ERROR "Cannot install into \"${nimbrell_root}\": CMake cannot install "
      "under a path with a backslash. Choose another DESTDIR or prefix.")
  endif()
  set(nimbrell_probe "${nimbrell_root}/.nimbrell-install-probe")
  execute_process(COMMAND "${CMAKE_COMMAND}" -E make_directory "${nimbrell_probe}"
    RESULT_VARIABLE nimbrell_failed OUTPUT_QUIET ERROR_QUIET)
  if(NOT nimbrell_failed AND NOT IS_DIRECTORY "${nimbrell_probe}")
    set(nimbrell_failed 1)
  endif()
  file(REMOVE_RECURSE "${nimbrell_probe}")
  if(nimbrell_failed)
    message(FATAL_ERROR "Cannot install into \"${nimbrell_root}\": it cannot be created or "
      "written (DESTDIR \"$ENV{DESTDIR}\", prefix \"${CMAKE_INSTALL_PREFIX}\"). Choose a "
      "writable DESTDIR or prefix, or install as a user who may write there.")
  endif()
]])

install(TARGETS nimbrell nimbrell-scene RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The menu entry runs the program by its full path, which is known only when
# installing (`--prefix` may change it), so the entry is written then.
install(CODE "set(nimbrell_desktop_template \"${desktop_sources}/nimbrell.desktop.in\")
  set(nimbrell_desktop_file \"${desktop_build}/${NIMBRELL_APP_ID}.desktop\")
  set(nimbrell_bindir \"${CMAKE_INSTALL_BINDIR}\")
  set(nimbrell_datadir \"${CMAKE_INSTALL_DATADIR}\")
  include(\"${CMAKE_CURRENT_LIST_DIR}/InstallDesktopEntry.cmake\")")

# Every rendered size of the icon, and the drawing itself for any other size.
file(GLOB icon_pngs ${PROJECT_SOURCE_DIR}/resources/art/icon/nimbrell-*.png)
foreach(png IN LISTS icon_pngs)
  string(REGEX MATCH "nimbrell-([0-9]+)\\.png$" matched ${png})
  if(matched)
    install(FILES ${png} RENAME nimbrell.png
      DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${CMAKE_MATCH_1}x${CMAKE_MATCH_1}/apps)
  endif()
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/resources/art/icon/nimbrell.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

configure_file(${desktop_sources}/${NIMBRELL_APP_ID}.metainfo.xml.in
  ${desktop_build}/${NIMBRELL_APP_ID}.metainfo.xml @ONLY)
install(FILES ${desktop_build}/${NIMBRELL_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Manual pages and the changelog are installed compressed, without time stamps.
set(compressed)
foreach(document nimbrell.1 nimbrell-scene.1 changelog)
  configure_file(${desktop_sources}/${document}.in ${desktop_build}/${document} @ONLY)
  add_custom_command(OUTPUT ${desktop_build}/${document}.gz
    COMMAND gzip -9nf -k ${desktop_build}/${document}
    DEPENDS ${desktop_build}/${document}
    VERBATIM)
  list(APPEND compressed ${desktop_build}/${document}.gz)
endforeach()
# The copyright file carries the embedded faces' own copyright records.
add_custom_command(OUTPUT ${desktop_build}/copyright
  COMMAND ${NIMBRELL_FONT_PYTHON} ${PROJECT_SOURCE_DIR}/resources/fonts/subset-fonts.py notice
          ${desktop_sources}/copyright.in ${desktop_build}/copyright ${NIMBRELL_FONT_FILES}
  DEPENDS ${PROJECT_SOURCE_DIR}/resources/fonts/subset-fonts.py ${desktop_sources}/copyright.in ${NIMBRELL_FONT_FILES}
  VERBATIM)
add_custom_target(nimbrell_documents ALL DEPENDS ${compressed} ${desktop_build}/copyright)
add_dependencies(nimbrell_documents nimbrell_fonts)
install(FILES ${desktop_build}/nimbrell.1.gz ${desktop_build}/nimbrell-scene.1.gz
  DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${desktop_build}/changelog.gz ${desktop_build}/copyright
  DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/nimbrell)
