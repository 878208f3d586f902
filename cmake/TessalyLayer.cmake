include(${CMAKE_CURRENT_LIST_DIR}/TessalyPrecompile.cmake)

# A layer is one static library built from every source file of its folder
# (subfolders for other platforms excluded), so adding a file needs no edit here.
# PRECOMPILE gives it the shared precompiled header; PRECOMPILE_FROM <layer> uses
# the one another layer with the same Qt modules built.
function(tessaly_layer target)
  cmake_parse_arguments(L "PRECOMPILE" "PRECOMPILE_FROM" "LIBS;EXCLUDE" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  foreach(ex ${L_EXCLUDE})
    list(FILTER sources EXCLUDE REGEX ${ex})
  endforeach()
  add_library(${target} STATIC ${sources})
  target_include_directories(${target} PUBLIC ${CMAKE_SOURCE_DIR}/src)
  target_link_libraries(${target} PUBLIC ${L_LIBS})
  if(L_PRECOMPILE)
    tessaly_precompile(${target} ${CMAKE_SOURCE_DIR}/src/Precompiled.h)
  elseif(L_PRECOMPILE_FROM)
    tessaly_precompile_from(${target} ${L_PRECOMPILE_FROM})
  endif()
endfunction()
