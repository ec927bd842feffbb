# Removes what the last install put in place: every file its manifest lists, then every
# folder that the installs noted as created by them, once it is empty. Anything else, and a
# folder that still holds something, stays. Both lists leave out DESTDIR, which is taken from
# the environment as when installing.
#   cmake -D MANIFEST=build/install_manifest.txt -D FOLDERS=build/install_folders.txt
#         -P cmake/Uninstall.cmake
if(NOT EXISTS "${MANIFEST}")
  message(FATAL_ERROR "Nothing to uninstall: ${MANIFEST} does not exist (install first).")
endif()

file(STRINGS "${MANIFEST}" files)
foreach(file IN LISTS files)
  set(file "$ENV{DESTDIR}${file}")
  if(EXISTS "${file}" OR IS_SYMLINK "${file}")
    message(STATUS "Removing: ${file}")
    file(REMOVE "${file}")
  endif()
endforeach()

set(folders "")
if(EXISTS "${FOLDERS}")
  file(STRINGS "${FOLDERS}" folders)
endif()
# Deepest first, so that a folder emptied by removing its sub-folders goes too.
list(SORT folders ORDER DESCENDING)
foreach(folder IN LISTS folders)
  set(folder "$ENV{DESTDIR}${folder}")
  file(GLOB left LIST_DIRECTORIES true "${folder}/*")
  if(IS_DIRECTORY "${folder}" AND NOT IS_SYMLINK "${folder}" AND NOT left)
    message(STATUS "Removing: ${folder}/")
    file(REMOVE_RECURSE "${folder}")
  endif()
endforeach()
