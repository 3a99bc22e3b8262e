# Every source folder is a static library that links, and may include from,
# only the folders it declares. The include check runs before the library
# compiles, so an include against the direction fails the build.

set(VELMORA_LAYERS common settings sheet patdata history shell engine results race movement browser backtest watch follow qtsettings cli ui)

# velmora_add_layer(<folder> [USES <folder>...] SOURCES <file>... [LINK <target>...])
# makes the library velmora_<folder> from the folder's sources and headers.
function(velmora_add_layer folder)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "USES;SOURCES;LINK")
  velmora_check_layer_order(${folder} "${arg_USES}")
  set_property(GLOBAL PROPERTY velmora_uses_${folder} ${arg_USES})
  set(target velmora_${folder})
  add_library(${target} STATIC ${arg_SOURCES})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${target} PUBLIC velmora_flags)
  foreach(used IN LISTS arg_USES)
    target_link_libraries(${target} PUBLIC velmora_${used})
  endforeach()
  if(arg_LINK)
    target_link_libraries(${target} PUBLIC ${arg_LINK})
  endif()
  velmora_check_layer_includes(${target} ${folder} "${arg_USES}" "${arg_SOURCES}")
endfunction()

# A folder may use only folders listed before it, so the layers can't form a
# cycle and the list reads as the order they build in.
function(velmora_check_layer_order folder uses)
  list(FIND VELMORA_LAYERS ${folder} position)
  if(position EQUAL -1)
    message(FATAL_ERROR "Layer ${folder} is not in VELMORA_LAYERS")
  endif()
  foreach(used IN LISTS uses)
    list(FIND VELMORA_LAYERS ${used} used_position)
    if(used_position EQUAL -1 OR NOT used_position LESS position)
      message(FATAL_ERROR "Layer ${folder} may use only folders listed before it in VELMORA_LAYERS, not ${used}")
    endif()
  endforeach()
endfunction()

# velmora_add_layer_program(<target> <folder> [USES <folder>...] SOURCES <file>...)
# makes a program of the folder whose sources may include what the folder's
# library may, and the USES given here besides.
function(velmora_add_layer_program target folder)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "" "USES;SOURCES")
  get_property(folder_uses GLOBAL PROPERTY velmora_uses_${folder})
  add_executable(${target} ${arg_SOURCES})
  target_link_libraries(${target} PRIVATE velmora_${folder})
  foreach(used IN LISTS arg_USES)
    target_link_libraries(${target} PRIVATE velmora_${used})
  endforeach()
  velmora_check_layer_includes(${target} ${folder} "${folder_uses};${arg_USES}" "${arg_SOURCES}")
endfunction()

function(velmora_check_layer_includes target folder uses sources)
  set(files "")
  foreach(source IN LISTS sources)
    cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR} OUTPUT_VARIABLE file)
    list(APPEND files ${file})
  endforeach()
  list(JOIN files "|" joined_files)
  list(JOIN uses "|" joined_uses)
  list(JOIN VELMORA_LAYERS "|" joined_layers)
  set(stamp ${CMAKE_CURRENT_BINARY_DIR}/${target}_layer_check.stamp)
  add_custom_command(
    OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -DFOLDER=${folder} "-DALLOWED=${joined_uses}" "-DLAYERS=${joined_layers}"
            "-DSOURCES=${joined_files}" -DSTAMP=${stamp} -P ${PROJECT_SOURCE_DIR}/cmake/CheckLayerIncludes.cmake
    DEPENDS ${files} ${PROJECT_SOURCE_DIR}/cmake/CheckLayerIncludes.cmake
    COMMENT "Checking the includes of ${folder}"
    VERBATIM)
  add_custom_target(${target}_layer_check DEPENDS ${stamp})
  add_dependencies(${target} ${target}_layer_check)
endfunction()
