# Each library publishes only its own folders, through an include root of its own in the build
# tree, so a target sees the headers of exactly the libraries it links: including a header of a
# layer it may not use fails to compile. Headers keep their layer prefix ("platform/core/Prefix.h").
#
#   kx4_publish_headers(target folder...)   folders relative to the source tree, under src/,
#                                            components/ or tools/
function(kx4_publish_headers target)
  set(root ${CMAKE_BINARY_DIR}/include/${target})
  foreach(folder IN LISTS ARGN)
    if(NOT IS_DIRECTORY ${CMAKE_SOURCE_DIR}/${folder})
      message(FATAL_ERROR "kx4_publish_headers(${target}): no folder ${folder}")
    endif()
    string(REGEX REPLACE "^(src|components|tools)/" "" name ${folder})
    get_filename_component(parent ${root}/${name} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${folder} ${root}/${name} SYMBOLIC)
  endforeach()
  target_include_directories(${target} PUBLIC ${root})
endfunction()
