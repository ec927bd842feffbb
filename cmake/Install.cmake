# Installing: the program, its sample game, and what desktops and software centres need to
# offer it. `cmake --install build --prefix P` installs; the `uninstall` target removes what
# the last install put in place (cmake/Uninstall.cmake).
include(GNUInstallDirs)

# The id desktops and software centres know the game by, in reverse-domain form.
set(TARNWICK_APP_ID io.github.tarnwick.Tarnwick)
set(TARNWICK_RELEASE_DATE 2026-12-09)

set(dist ${CMAKE_BINARY_DIR}/dist)
configure_file(dist/tarnwick.metainfo.xml.in ${dist}/${TARNWICK_APP_ID}.metainfo.xml @ONLY)
configure_file(dist/tarnwick.6.in ${dist}/tarnwick.6 @ONLY)

# Every folder the install writes files into, for the record of the folders it creates.
set(install_folders ${CMAKE_INSTALL_BINDIR} ${CMAKE_INSTALL_DATADIR}/applications
    ${CMAKE_INSTALL_DATADIR}/metainfo ${CMAKE_INSTALL_MANDIR}/man6)
file(GLOB_RECURSE game_files CONFIGURE_DEPENDS RELATIVE ${CMAKE_SOURCE_DIR} game/*)
file(GLOB_RECURSE icon_files CONFIGURE_DEPENDS RELATIVE ${CMAKE_SOURCE_DIR}/dist dist/icons/*)
foreach(path ${game_files})
  string(REGEX REPLACE "^game" "${TARNWICK_GAME_DESTINATION}" path ${path})
  get_filename_component(folder ${path} DIRECTORY)
  list(APPEND install_folders ${folder})
endforeach()
foreach(path ${icon_files})
  get_filename_component(folder ${CMAKE_INSTALL_DATADIR}/${path} DIRECTORY)
  list(APPEND install_folders ${folder})
endforeach()
list(REMOVE_DUPLICATES install_folders)

# Before anything is copied: note each of those folders, and each folder above it, that does
# not exist yet, together with the ones an earlier install noted that are still there, so
# that uninstalling removes the folders the installs made and no other. Like the manifest,
# the note leaves out DESTDIR.
install(CODE "set(tarnwick_folders \"${install_folders}\")
              set(tarnwick_record \"${CMAKE_BINARY_DIR}/install_folders.txt\")")
install(CODE [[
  set(created "")
  if(EXISTS "${tarnwick_record}")
    file(STRINGS "${tarnwick_record}" noted)
    foreach(folder IN LISTS noted)
      if(IS_DIRECTORY "$ENV{DESTDIR}${folder}")
        list(APPEND created "${folder}")
      endif()
    endforeach()
  endif()
  foreach(folder IN LISTS tarnwick_folders)
    if(NOT IS_ABSOLUTE "${folder}")
      set(folder "${CMAKE_INSTALL_PREFIX}/${folder}")
    endif()
    while(NOT EXISTS "$ENV{DESTDIR}${folder}" AND NOT folder MATCHES "^/?$")
      list(APPEND created "${folder}")
      get_filename_component(folder "${folder}" DIRECTORY)
    endwhile()
  endforeach()
  list(REMOVE_DUPLICATES created)
  list(JOIN created "\n" lines)
  file(WRITE "${tarnwick_record}" "${lines}")
]])

install(TARGETS tarnwick RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY game/ DESTINATION ${TARNWICK_GAME_DESTINATION})
install(FILES dist/tarnwick.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications
        RENAME ${TARNWICK_APP_ID}.desktop)
install(DIRECTORY dist/icons/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
install(FILES ${dist}/${TARNWICK_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${dist}/tarnwick.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)

add_custom_target(uninstall
  COMMAND ${CMAKE_COMMAND} -D MANIFEST=${CMAKE_BINARY_DIR}/install_manifest.txt
          -D FOLDERS=${CMAKE_BINARY_DIR}/install_folders.txt -P ${CMAKE_SOURCE_DIR}/cmake/Uninstall.cmake
  COMMENT "Removing what the last install put in place")
