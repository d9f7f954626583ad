# Shorter builds (option TAMBERLY_FAST_BUILD):
# - where ccache does not launch the compiler (a clean build, as in CI), every
#   test program of two C++ sources or more, and every library and program of
#   the viewer, the modules and the command line, compiles as one source (a
#   unity build): the GoogleTest, Qt and standard headers are parsed once per
#   target and the code they generate is built once, not once per source
#   (the main window's library took 114 s of processor time as 23 sources,
#   13 s as one). Names at file scope in the sources of one target must
#   therefore differ, overloads included: a call could otherwise pick another
#   source's helper.
# - where ccache launches the compiler it caches objects per source, so that
#   a changed source recompiles alone; there each test program precompiles the
#   GoogleTest and GoogleMock headers and the standard headers the tests use
#   most instead (ccache does not cache sources compiled with a precompiled
#   header, so those builds skip it).
# - in the release build, the test programs' own sources build at -O0 (the
#   code under test does the work: their tests take about as long as at -O1)
#   and all the tests' code carries line tables only (-g1, as in the sanitizer
#   builds): backtraces keep their lines, and the code under test keeps -O2
#   and its full debug information.
# - GCC's -Warray-bounds, -Wstringop-overflow and -Wrestrict are off in the
#   tests' code (see below).
set(TAMBERLY_TEST_PRECOMPILED_HEADERS
  <gmock/gmock.h> <gtest/gtest.h>
  <algorithm> <cstdint> <cstring> <filesystem> <fstream> <memory> <string> <vector>)

function(tamberly_fast_test_target target)
  get_target_property(type ${target} TYPE)
  if(type MATCHES "^(EXECUTABLE|STATIC_LIBRARY|SHARED_LIBRARY|MODULE_LIBRARY|OBJECT_LIBRARY)$")
    target_compile_options(${target} PRIVATE $<$<CONFIG:RelWithDebInfo>:-g1>)
    # GCC 12 at -O2 with the precompiled headers flags std::string additions
    # in the tests as copies out of bounds or overflowing (its known false
    # positives inside char_traits); the libraries and programs keep these.
    target_compile_options(${target} PRIVATE
      $<$<AND:$<CXX_COMPILER_ID:GNU>,$<COMPILE_LANGUAGE:CXX>>:-Wno-array-bounds -Wno-stringop-overflow -Wno-restrict>)
  endif()
  get_target_property(libraries ${target} LINK_LIBRARIES)
  get_target_property(sources ${target} SOURCES)
  if(NOT type STREQUAL "EXECUTABLE" OR NOT libraries OR NOT sources)
    return()
  endif()
  list(FILTER libraries INCLUDE REGEX "^(GTest::|test_support$)")
  list(FILTER sources INCLUDE REGEX "\\.cpp$")
  list(LENGTH sources count)
  if(NOT libraries)
    return()
  endif()
  target_compile_options(${target} PRIVATE $<$<CONFIG:RelWithDebInfo>:-O0>)
  if(count LESS 2)
    return()
  endif()
  if(NOT CMAKE_CXX_COMPILER_LAUNCHER MATCHES "ccache")
    set_target_properties(${target} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE 0)
    return()
  endif()
  set(headers)
  foreach(header IN LISTS TAMBERLY_TEST_PRECOMPILED_HEADERS)
    # C++ only (some programs hold C sources); ANGLE-R keeps the closing
    # bracket of <header> from ending the expression.
    string(REPLACE ">" "$<ANGLE-R>" header "${header}")
    list(APPEND headers "$<$<COMPILE_LANGUAGE:CXX>:${header}>")
  endforeach()
  target_precompile_headers(${target} PRIVATE ${headers})
endfunction()

# Calls function with every target defined in directory and the folders below it.
function(tamberly_each_target directory function)
  get_property(targets DIRECTORY ${directory} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target IN LISTS targets)
    cmake_language(CALL ${function} ${target})
  endforeach()
  get_property(folders DIRECTORY ${directory} PROPERTY SUBDIRECTORIES)
  foreach(folder IN LISTS folders)
    tamberly_each_target(${folder} ${function})
  endforeach()
endfunction()

function(tamberly_fast_test_targets directory)
  tamberly_each_target(${directory} tamberly_fast_test_target)
endfunction()

# A library or program compiles as one source, where ccache does not launch
# the compiler.
function(tamberly_unity_target target)
  get_target_property(type ${target} TYPE)
  if(type MATCHES "^(EXECUTABLE|STATIC_LIBRARY|SHARED_LIBRARY|MODULE_LIBRARY)$"
     AND NOT CMAKE_CXX_COMPILER_LAUNCHER MATCHES "ccache")
    set_target_properties(${target} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE 0)
  endif()
endfunction()

function(tamberly_unity_targets directory)
  tamberly_each_target(${directory} tamberly_unity_target)
endfunction()
