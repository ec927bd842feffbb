# Files the program compiles in, made when the build is configured: its version, where its
# installed sample game lies, the configuration dialog's logo and the program's icon. They go under
# generated/ in the build folder, which every target has on its include path.
include(GNUInstallDirs)

set(TARNWICK_GENERATED ${CMAKE_BINARY_DIR}/generated)
include_directories(${TARNWICK_GENERATED})

# The sample game is found relative to the program, so that a moved prefix keeps working.
set(TARNWICK_GAME_DESTINATION ${CMAKE_INSTALL_DATADIR}/tarnwick/games/morrels)
file(RELATIVE_PATH TARNWICK_GAME_FROM_PROGRAM /prefix/${CMAKE_INSTALL_BINDIR}
     /prefix/${TARNWICK_GAME_DESTINATION})
configure_file(cmake/BuildInfo.h.in ${TARNWICK_GENERATED}/app/BuildInfo.h @ONLY)

# Pictures as C initialiser lists of their bytes, 16 to a line; a changed picture reconfigures.
# The dialog's logo, and the program's icon as it is installed (64x64).
function(tarnwick_embed source output)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
  file(READ ${source} hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(REPEAT "0x..," 16 line)
  string(REGEX REPLACE "(${line})" "\\1\n" bytes "${bytes}")
  file(CONFIGURE OUTPUT ${output} CONTENT "${bytes}\n" @ONLY)
endfunction()
tarnwick_embed(${CMAKE_SOURCE_DIR}/app/logo.png ${TARNWICK_GENERATED}/app/LogoPng.inc)
tarnwick_embed(${CMAKE_SOURCE_DIR}/dist/icons/hicolor/64x64/apps/tarnwick.png
               ${TARNWICK_GENERATED}/platform/IconPng.inc)
