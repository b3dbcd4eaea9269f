# The layers of the portable core, and the include roots that keep them in
# order.
#
# A target sees a folder's headers ("base/platform.h") only through an
# include root of the build tree that holds one link, <folder> -> the source
# folder. A layer's library passes its own root on to whoever links it, so a
# source sees exactly the folders of the layers it links: an include of a
# layer above fails to compile. Sources are never compiled with the project
# root on the include path.

# vqx_include_root(<variable> <folder>): the include root that shows
# <folder>/ of the source tree, created on first use.
function(vqx_include_root variable folder)
  set(root ${PROJECT_BINARY_DIR}/include-roots/${folder})
  if(NOT EXISTS ${root}/${folder})
    file(MAKE_DIRECTORY ${root})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
  endif()
  set(${variable} ${root} PARENT_SCOPE)
endfunction()

# vqx_layer(<name> [DEPENDS <layer>...]): library vqx_<name> of the sources
# of folder <name>/, linking the named layers below it. A generated source
# includes every header of the folder, so a header that no source of its
# own layer includes is held to the same rule.
function(vqx_layer name)
  cmake_parse_arguments(LAYER "" "" "DEPENDS" ${ARGN})
  vqx_include_root(root ${name})
  file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${name}/*.cpp)
  file(GLOB headers CONFIGURE_DEPENDS RELATIVE ${PROJECT_SOURCE_DIR}
       ${PROJECT_SOURCE_DIR}/${name}/*.h)
  set(content "// Every header of ${name}/, compiled with that layer's view.\n")
  foreach(header ${headers})
    string(APPEND content "#include \"${header}\"\n")
  endforeach()
  set(check ${PROJECT_BINARY_DIR}/layer-headers/${name}_headers.cpp)
  file(CONFIGURE OUTPUT ${check} CONTENT "${content}")
  add_library(vqx_${name} STATIC ${sources} ${check})
  target_include_directories(vqx_${name} PUBLIC ${root})
  foreach(layer ${LAYER_DEPENDS})
    target_link_libraries(vqx_${name} PUBLIC vqx_${layer})
  endforeach()
endfunction()
