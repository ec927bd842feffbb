# The Debian package, built by CPack in a build folder of its own (`make package` configures
# build-package/ with Debian's hardening flags and the program in /usr/games, where Debian
# keeps games). Packing installs into a staging folder and overwrites the build folder's
# install manifest, which is why the package target exists only in that folder.
option(TARNWICK_PACKAGE "Offer the package target that builds the Debian package" OFF)
if(NOT TARNWICK_PACKAGE)
  return()
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tarnwick)
set(CPACK_PACKAGE_VENDOR "Tarnwick")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "board set-up game: arrange your characters on a board")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Tarnwick is the set-up phase of a board game: the player arranges characters,\n\
pieces that are straight rows of cells, on a board of 10 by 10 squares. It\n\
comes with a sample game; games are plain text files and Windows bitmaps.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER
    "The Tarnwick developers <developers@tarnwick.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The runtime libraries the program links, with their versions, as dpkg-shlibdeps finds them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The frame-rate line is drawn with a DejaVu font that the program opens by its path, and
# SDL_mixer is loaded by its soname when the first sound plays (platform/MixerLibrary).
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core, libsdl2-mixer-2.0-0 (>= 2.6)")
set(CPACK_STRIP_FILES ON)
# Debian's policy files: the copyright file, and the changelog, which a package whose version
# has no Debian revision keeps as changelog.gz.
install(FILES dist/debian/copyright dist/debian/changelog
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tarnwick)
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_SOURCE_DIR}/cmake/CompressManPages.cmake)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
include(CPack)
