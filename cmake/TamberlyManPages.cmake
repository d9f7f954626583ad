# Manual pages made from the programs' own --help and --version texts.
find_program(HELP2MAN_PROGRAM help2man)
find_program(GZIP_PROGRAM gzip)
if(NOT HELP2MAN_PROGRAM OR NOT GZIP_PROGRAM)
  message(STATUS "help2man or gzip not found: no manual pages (scripts/install-deps.sh installs them)")
  return()
endif()

set(tamberly_man_summary_tamberly "inspect the frames of MPEG audio streams")
set(tamberly_man_summary_tamberly-cli "inspect, decode and validate MPEG audio streams from the command line")
set(man_pages)
foreach(program tamberly tamberly-cli)
  set(page ${CMAKE_BINARY_DIR}/man/${program}.1)
  add_custom_command(
    OUTPUT ${page}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    COMMAND ${HELP2MAN_PROGRAM} --no-info --no-discard-stderr
            --name=${tamberly_man_summary_${program}} --output=${page} $<TARGET_FILE:${program}>
    COMMAND ${GZIP_PROGRAM} -9 -n -f ${page}
    DEPENDS ${program}
    COMMENT "Manual page of ${program}"
    VERBATIM)
  list(APPEND man_pages ${page}.gz)
endforeach()
add_custom_target(tamberly_man_pages ALL DEPENDS ${man_pages})
install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
