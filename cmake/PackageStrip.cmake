# Run by CPack (CPACK_PRE_BUILD_SCRIPTS) on the staged package files, after
# the install step has stripped the programs: takes out the .comment section
# (compiler version strings) that strip leaves, as Debian's dh_strip does.
if(NOT CPACK_STRIP_FILES)
  return()
endif()
if(NOT CPACK_OBJCOPY_EXECUTABLE)
  message(FATAL_ERROR "no objcopy to take .comment out of the packaged programs")
endif()

file(GLOB_RECURSE staged LIST_DIRECTORIES false "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*")
foreach(file IN LISTS staged)
  if(IS_SYMLINK "${file}")
    continue()
  endif()
  file(READ "${file}" magic LIMIT 4 HEX)
  if(NOT magic STREQUAL "7f454c46")
    continue()
  endif()
  execute_process(COMMAND "${CPACK_OBJCOPY_EXECUTABLE}" --remove-section=.comment "${file}"
                  RESULT_VARIABLE status ERROR_VARIABLE errors)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "objcopy could not take .comment out of ${file}: ${errors}")
  endif()
endforeach()
