# Files the program compiles in, made when the build is configured: its version, where its
# installed sample game lies, and the configuration dialog's logo. They go under
# generated/app/ in the build folder, which every target has on its include path.
include(GNUInstallDirs)

set(TARNWICK_GENERATED ${CMAKE_BINARY_DIR}/generated)
include_directories(${TARNWICK_GENERATED})

# The sample game is found relative to the program, so that a moved prefix keeps working.
set(TARNWICK_GAME_DESTINATION ${CMAKE_INSTALL_DATADIR}/tarnwick/games/morrels)
file(RELATIVE_PATH TARNWICK_GAME_FROM_PROGRAM /prefix/${CMAKE_INSTALL_BINDIR}
     /prefix/${TARNWICK_GAME_DESTINATION})
configure_file(cmake/BuildInfo.h.in ${TARNWICK_GENERATED}/app/BuildInfo.h @ONLY)

# The logo's PNG bytes as a C initialiser list, 16 to a line; a changed picture reconfigures.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/app/logo.png)
file(READ ${CMAKE_SOURCE_DIR}/app/logo.png logo_hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," logo_bytes "${logo_hex}")
string(REPEAT "0x..," 16 line)
string(REGEX REPLACE "(${line})" "\\1\n" logo_bytes "${logo_bytes}")
file(CONFIGURE OUTPUT ${TARNWICK_GENERATED}/app/LogoPng.inc CONTENT "${logo_bytes}\n" @ONLY)
