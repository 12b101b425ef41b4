# Layers the build enforces. Each library names the folders it owns and the layers it uses, and
# is compiled against an include tree of its own: links to the headers of those folders and of
# every layer below, and nothing else. An include of a higher layer, or of a layer not named,
# then fails to compile ("No such file or directory") instead of quietly creating a back-edge.
#
#   velmo_layer(<target> FOLDERS <folder>... [USES <layer>...] [LIBRARIES <other>...])
#
# A folder owns the headers directly in it, so file_host/ (the host) and file_host/files/ (the
# files below it) can belong to different layers.

function(velmo_layer target)
  cmake_parse_arguments(ARG "" "" "FOLDERS;USES;LIBRARIES" ${ARGN})
  set(visible ${ARG_FOLDERS})
  foreach(layer IN LISTS ARG_USES)
    get_target_property(below ${layer} VELMO_VISIBLE_FOLDERS)
    if(NOT below)
      message(FATAL_ERROR "${target} uses ${layer}, which is not a layer defined before it")
    endif()
    list(APPEND visible ${below})
  endforeach()
  list(REMOVE_DUPLICATES visible)
  set_property(TARGET ${target} PROPERTY VELMO_VISIBLE_FOLDERS ${visible})

  set(tree ${CMAKE_BINARY_DIR}/layers/${target})
  file(REMOVE_RECURSE ${tree})
  foreach(folder IN LISTS visible)
    file(GLOB headers CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${folder}/*.h)
    file(MAKE_DIRECTORY ${tree}/${folder})
    foreach(header IN LISTS headers)
      get_filename_component(name ${header} NAME)
      file(CREATE_LINK ${header} ${tree}/${folder}/${name} SYMBOLIC)
    endforeach()
  endforeach()

  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_link_libraries(${target} INTERFACE ${ARG_USES} ${ARG_LIBRARIES})
  else()
    target_include_directories(${target} PRIVATE ${tree})
    target_link_libraries(${target} PUBLIC ${ARG_USES} ${ARG_LIBRARIES})
  endif()
endfunction()
