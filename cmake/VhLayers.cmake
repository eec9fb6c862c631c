# Layers the build enforces. Every folder of src/ is one library target
# (vh_<folder>), linked only to the layers below it. A target's include path
# holds exactly the folders of the layers it links: each folder is exposed
# through a directory of its own in the build tree that holds nothing but a
# link to that folder, so `#include "fileio/document.h"` compiles in a target
# that links vh_fileio (directly or through a layer above it) and fails with
# "No such file or directory" everywhere else.

# The layers from the bottom up. A layer may depend only on layers listed
# before it, which also rules out cycles. The desktop program is layered
# the same way, one layer per sub-folder of src/app.
set(VH_LAYER_ORDER foundations imaging tree wind fileio bark billboard forest view cli
    app/widgets app/document app/viewport app/pages app/flows app/bark_tiler app/about app/shell)

# The target of the layer in src/<folder>: vh_ and the folder, with "_" for
# "/" (app/pages -> vh_app_pages).
function(vh_layer_target folder variable)
  string(REPLACE "/" "_" name ${folder})
  set(${variable} vh_${name} PARENT_SCOPE)
endfunction()

# Puts src/<folder> on the include path of <target> (PUBLIC: users of the
# target see it too), as "<folder>/name.h" and nothing else of src/.
function(vh_expose_folder target folder)
  set(root ${PROJECT_BINARY_DIR}/layers/${folder})
  if(NOT EXISTS ${root}/${folder})
    get_filename_component(parent ${root}/${folder} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${folder} ${root}/${folder} SYMBOLIC)
  endif()
  target_include_directories(${target} PUBLIC ${root})
endfunction()

# vh_add_layer(<folder> [DEPENDS <folder>...] [EXCLUDE <file>...])
# The static library of the layer (vh_layer_target) from src/<folder>/*.cpp
# (but the EXCLUDEd files), linked to the layers it DEPENDS on. Sources are picked up per
# folder, so a new unit needs no build edit.
function(vh_add_layer folder)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "DEPENDS;EXCLUDE")
  list(FIND VH_LAYER_ORDER ${folder} position)
  if(position EQUAL -1)
    message(FATAL_ERROR "${folder} is not in VH_LAYER_ORDER (cmake/VhLayers.cmake)")
  endif()
  foreach(dependency IN LISTS arg_DEPENDS)
    list(FIND VH_LAYER_ORDER ${dependency} below)
    if(below EQUAL -1 OR NOT below LESS position)
      message(FATAL_ERROR "the layer ${folder} may not depend on ${dependency}: "
                          "a layer depends only on the layers below it (VH_LAYER_ORDER)")
    endif()
  endforeach()

  file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/${folder}/*.cpp)
  foreach(excluded IN LISTS arg_EXCLUDE)
    list(REMOVE_ITEM sources ${PROJECT_SOURCE_DIR}/src/${folder}/${excluded})
  endforeach()
  vh_layer_target(${folder} target)
  add_library(${target} STATIC ${sources})
  vh_expose_folder(${target} ${folder})
  set(libraries)
  foreach(dependency IN LISTS arg_DEPENDS)
    vh_layer_target(${dependency} library)
    list(APPEND libraries ${library})
  endforeach()
  target_link_libraries(${target} PUBLIC ${libraries})

  # What the layering checks (tests/layering) need: every layer, and the
  # folders each one must see (itself and everything it depends on).
  set(seen ${folder})
  foreach(dependency IN LISTS arg_DEPENDS)
    get_property(below GLOBAL PROPERTY VH_LAYER_SEES_${dependency})
    list(APPEND seen ${below})
  endforeach()
  list(REMOVE_DUPLICATES seen)
  set_property(GLOBAL APPEND PROPERTY VH_LAYERS ${folder})
  set_property(GLOBAL PROPERTY VH_LAYER_SEES_${folder} ${seen})
endfunction()
