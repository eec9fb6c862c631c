# cmake -DBUILD_DIR=<build tree> -DPROBES=<target|header;...> -P expect_missing_header.cmake
#
# Builds each probe target, a unit that includes `header` from a layer above
# the one it links, and fails unless every build fails because that header
# cannot be found. A probe that compiles means a layer sees upwards; one that
# fails for another reason proves nothing and is reported too.
foreach(probe IN LISTS PROBES)
  string(REPLACE "|" ";" parts "${probe}")
  list(GET parts 0 target)
  list(GET parts 1 header)
  execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR} --target ${target}
                  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  string(REPLACE "." "\\." pattern "${header}")
  if(result EQUAL 0)
    message(SEND_ERROR "${target}: #include \"${header}\" compiled, so a layer sees a layer above it")
  elseif(NOT output MATCHES "${pattern}: No such file or directory|'${pattern}' file not found")
    message(SEND_ERROR "${target} failed to build, but not for want of ${header}:\n${output}")
  else()
    message(STATUS "${target}: ${header} is out of sight, as it must be")
  endif()
endforeach()
