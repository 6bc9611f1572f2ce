# Each folder is one library, and what a library may include is what its link
# line names. A library's headers are not found from the source root: its own
# include directory in the build tree holds nothing but links to its folder (or
# its header files), and only what links the library gets that directory. An
# include that goes up a layer, or sideways to a library not linked, fails to
# build with "No such file".
#
#   carpex_headers(<target> <path>...)   paths from the source root, e.g. world
#                                        or shell/app.h
function(carpex_headers target)
  set(root ${CMAKE_BINARY_DIR}/headers/${target})
  # Made anew at every configure: a build tree from before a header moved may
  # hold a link to a whole folder where links to single files now go, and
  # writing those through it would replace the sources themselves. Removing
  # the tree removes the links, never what they point to.
  file(REMOVE_RECURSE ${root})
  foreach(path IN LISTS ARGN)
    get_filename_component(parent ${root}/${path} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${path} ${root}/${path} SYMBOLIC)
  endforeach()
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${target} INTERFACE ${root})
  else()
    target_include_directories(${target} PUBLIC ${root})
  endif()
endfunction()
