# Run by CPack on the staged files before they are packed: strips the programs, the shared
# library and the Python module the way Debian's own packaging does, without the symbols,
# the compiler's .comment section and the .note section (the library keeps its exported
# symbols).

# A source package ("make package_source") stages the sources, which hold no programs.
if(NOT CPACK_GENERATOR STREQUAL "DEB")
  return()
endif()
# Each component (package) is staged in a folder of its own below the temporary folder.
file(GLOB programs "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/usr/bin/*"
     "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/usr/bin/*")
file(GLOB_RECURSE libraries "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*.so.*")
list(FILTER libraries EXCLUDE REGEX "/usr/share/")
# The Python module's file name ends in .so without a version.
file(GLOB_RECURSE modules "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*.so")
list(FILTER modules INCLUDE REGEX "/dist-packages/")
if(NOT programs)
  message(FATAL_ERROR "strip-programs: no programs under ${CPACK_TEMPORARY_INSTALL_DIRECTORY}")
endif()
foreach(program IN LISTS programs libraries modules)
  if(IS_SYMLINK ${program})
    continue()
  endif()
  execute_process(
    COMMAND strip --strip-unneeded --remove-section=.comment --remove-section=.note ${program}
    RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "strip-programs: cannot strip ${program}")
  endif()
endforeach()
