# Fails when a file of one source folder includes a header of a folder it may
# not use, or includes a path with "../". Run by velmora_add_layer at build time:
#   cmake -DFOLDER=<folder> -DALLOWED=<a|b> -DLAYERS=<all folders|...>
#         -DSOURCES=<files|...> -DSTAMP=<file> -P CheckLayerIncludes.cmake
cmake_minimum_required(VERSION 3.25)

string(REPLACE "|" ";" allowed "${ALLOWED}")
string(REPLACE "|" ";" layers "${LAYERS}")
string(REPLACE "|" ";" sources "${SOURCES}")
list(JOIN allowed ", " allowed_text)
list(APPEND allowed ${FOLDER})

set(violations "")
foreach(source IN LISTS sources)
  file(READ "${source}" content)
  # Characters that carry meaning in a CMake list would shift the lines.
  string(REGEX REPLACE "[][;\\\\]" " " content "${content}")
  string(REPLACE "\n" ";" lines "${content}")
  set(number 0)
  foreach(line IN LISTS lines)
    math(EXPR number "${number} + 1")
    if(line MATCHES "^[ \t]*#[ \t]*include[ \t]*[\"<][^\">]*\\.\\./")
      # A path climbing out of its folder would slip past the folder check.
      string(APPEND violations "${source}:${number}: ${FOLDER} may not include with a relative path\n")
    elseif(line MATCHES "^[ \t]*#[ \t]*include[ \t]*[\"<]([^/\">]+)/")
      set(used "${CMAKE_MATCH_1}")
      if(used IN_LIST layers AND NOT used IN_LIST allowed)
        string(APPEND violations "${source}:${number}: ${FOLDER} may not include from ${used}/\n")
      endif()
    endif()
  endforeach()
endforeach()

if(violations)
  message(FATAL_ERROR "Includes against the layers (${FOLDER} may use only: ${allowed_text}):\n${violations}")
endif()
file(TOUCH "${STAMP}")
