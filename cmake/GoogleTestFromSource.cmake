# GoogleTest built from the distribution's sources (/usr/src/googletest from
# libgtest-dev) for builds whose target has no packaged GoogleTest libraries,
# such as the 32-bit check. Provides the same GTest::gtest, GTest::gtest_main
# and GTest::gmock targets as find_package(GTest).
set(TAMBERLY_GOOGLETEST_SOURCE_DIR /usr/src/googletest
    CACHE PATH "GoogleTest sources for builds without packaged libraries")
if(NOT EXISTS ${TAMBERLY_GOOGLETEST_SOURCE_DIR}/CMakeLists.txt)
  message(FATAL_ERROR "GoogleTest sources not found in ${TAMBERLY_GOOGLETEST_SOURCE_DIR} (Debian: libgtest-dev)")
endif()

set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory(${TAMBERLY_GOOGLETEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
# Recent GoogleTest sources name their targets this way themselves.
foreach(library gtest gtest_main gmock gmock_main)
  if(NOT TARGET GTest::${library})
    add_library(GTest::${library} ALIAS ${library})
  endif()
endforeach()
