# cmake -DSOURCE_DIR=... -P check-layers.cmake
# The layers run one way: programs -> common -> the library's interface. Fails when a file of one
# program includes a header of another program, when common/ includes a program's header, or when
# the library includes anything above it. Cross-program tests live in tests/, which may reach all.
cmake_minimum_required(VERSION 3.25)
set(programs packer converter registrar genpak)
set(areas ${programs} common tvapi)

# Which area owns each header name (by its path below the area's include roots).
foreach(area IN LISTS areas)
  file(GLOB_RECURSE headers RELATIVE "${SOURCE_DIR}/${area}" "${SOURCE_DIR}/${area}/*.h")
  foreach(header IN LISTS headers)
    get_filename_component(name "${header}" NAME)
    string(REGEX REPLACE "^include/" "" rooted "${header}")
    list(APPEND owner_${name} ${area})
    list(APPEND owner_${rooted} ${area})
  endforeach()
endforeach()

set(violations "")
foreach(area IN LISTS areas)
  file(GLOB_RECURSE sources "${SOURCE_DIR}/${area}/*.cpp" "${SOURCE_DIR}/${area}/*.h")
  foreach(source IN LISTS sources)
    file(STRINGS "${source}" includes REGEX "^#include \"[^\"]+\"")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^#include \"([^\"]+)\".*" "\\1" included "${line}")
      if(NOT DEFINED owner_${included})
        continue()  # a header of the tests' own support or a generated one
      endif()
      get_filename_component(name "${included}" NAME)
      if(area IN_LIST owner_${included} OR area IN_LIST owner_${name})
        continue()  # its own
      endif()
      list(GET owner_${included} 0 owner)
      set(allowed FALSE)
      if(area IN_LIST programs AND owner STREQUAL "common")
        set(allowed TRUE)
      elseif(NOT area STREQUAL "tvapi" AND owner STREQUAL "tvapi")
        set(allowed TRUE)  # the library: tvapi.h and the container's format; its reader for the inspector
      endif()
      if(NOT allowed)
        file(RELATIVE_PATH shown "${SOURCE_DIR}" "${source}")
        list(APPEND violations "${shown} includes ${included} of ${owner}/")
      endif()
    endforeach()
  endforeach()
endforeach()
if(violations)
  list(JOIN violations "\n  " text)
  message(FATAL_ERROR "layers crossed:\n  ${text}")
endif()
message(STATUS "layers: programs -> common -> tvapi, nothing crossed")
