# Finds the stb single-file libraries (Debian: libstb-dev), headers only: the
# program compiles the parts it uses itself, with its own settings.
#
# Result: Stb_FOUND, Stb_INCLUDE_DIR and the imported target Stb::Stb, whose
# include directory makes #include <stb_image.h> work.
find_path(Stb_INCLUDE_DIR stb_image.h PATH_SUFFIXES stb)

include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(Stb REQUIRED_VARS Stb_INCLUDE_DIR)
mark_as_advanced(Stb_INCLUDE_DIR)

if(Stb_FOUND AND NOT TARGET Stb::Stb)
  add_library(Stb::Stb INTERFACE IMPORTED)
  set_target_properties(Stb::Stb PROPERTIES INTERFACE_INCLUDE_DIRECTORIES "${Stb_INCLUDE_DIR}")
endif()
