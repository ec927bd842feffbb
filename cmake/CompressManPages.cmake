# CPack step before packing: compresses the staged manual pages and the changelog as Debian
# keeps them (gzip -9n: no name or time stamp inside, so that the package is reproducible).
file(GLOB_RECURSE pages "${CPACK_TEMPORARY_DIRECTORY}/*")
list(FILTER pages INCLUDE REGEX "(/man/man[1-9]/[^/]+\\.[1-9]|/doc/tarnwick/changelog)$")
foreach(page IN LISTS pages)
  execute_process(COMMAND gzip -9nf "${page}" COMMAND_ERROR_IS_FATAL ANY)
endforeach()
