# The Debian package: "cpack -G DEB" in the release build folder (or
# scripts/make-package.sh). Its dependencies come from the binaries
# (dpkg-shlibdeps); it ships the programs' manual pages, the copyright file
# and a changelog.
find_program(GZIP_PROGRAM gzip)
set(tamberly_doc_dir ${CMAKE_INSTALL_DATADIR}/doc/tamberly)
configure_file(packaging/changelog.in ${CMAKE_BINARY_DIR}/packaging/changelog @ONLY)
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/packaging/changelog.gz
  COMMAND ${GZIP_PROGRAM} -9 -n -k -f ${CMAKE_BINARY_DIR}/packaging/changelog
  DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog
  VERBATIM)
add_custom_target(tamberly_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
install(FILES packaging/copyright ${CMAKE_BINARY_DIR}/packaging/changelog.gz DESTINATION ${tamberly_doc_dir})

set(CPACK_PACKAGE_NAME tamberly)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "tamberly developers")
set(CPACK_PACKAGE_CONTACT "tamberly developers <tamberly@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "inspect and check MPEG audio elementary streams")
set(CPACK_PACKAGE_DESCRIPTION "A viewer of MPEG audio frames (Layer I, II and III) with a frame list, a
frame detail tree and a hex view, a command line that lists frames, decodes
and validates streams and writes reports, demultiplexer plugins that take the
audio out of MPEG program and transport streams and MXF files, and the
decoder and validator libraries with their C headers.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
# The public libraries live in the loader's folder: its cache is refreshed.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/packaging/triggers)
include(CPack)
