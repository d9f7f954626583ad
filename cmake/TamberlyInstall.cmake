# The installed layout (GNUInstallDirs). Programs find their plugins, cores and
# validation modules beside themselves, so every runtime file of the build's
# bin folder goes to one private program folder, <libdir>/tamberly; the
# programs' names in <bindir> are relative symbolic links into it (the program
# folder is taken from the resolved executable). The two public libraries go
# to <libdir> with their C headers and pkg-config files, and the program
# folder links them back so that the $ORIGIN run path still finds them.
include(GNUInstallDirs)
# On a multiarch system the libraries go to the architecture's folder whatever
# the prefix, as the system's own packages have them.
if(CMAKE_LIBRARY_ARCHITECTURE AND CMAKE_INSTALL_LIBDIR STREQUAL "lib")
  set(CMAKE_INSTALL_LIBDIR lib/${CMAKE_LIBRARY_ARCHITECTURE})
endif()

set(TAMBERLY_PROGRAM_DIR ${CMAKE_INSTALL_LIBDIR}/tamberly)
set(TAMBERLY_INCLUDE_DIR ${CMAKE_INSTALL_INCLUDEDIR}/tamberly)
set(tamberly_library_permissions OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)

install(TARGETS tamberly tamberly-cli RUNTIME DESTINATION ${TAMBERLY_PROGRAM_DIR})
install(TARGETS demo_ql_demux_mp2 demo_ql_demux_mxf demo_demux_mp2 demo_demux_mxf
                mpeg_audio_validator_module
        LIBRARY DESTINATION ${TAMBERLY_PROGRAM_DIR} PERMISSIONS ${tamberly_library_permissions})
install(TARGETS mpadec mpaverify
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} PERMISSIONS ${tamberly_library_permissions})

# tamberly_install_link(<name> <target path> <destination>): a relative
# symbolic link, made in the build tree and installed as a link.
set(tamberly_links_dir ${CMAKE_BINARY_DIR}/install-links)
function(tamberly_install_link name target destination)
  set(link ${tamberly_links_dir}/${destination}/${name})
  get_filename_component(folder ${link} DIRECTORY)
  file(MAKE_DIRECTORY ${folder})
  file(CREATE_LINK ${target} ${link} SYMBOLIC)
  install(FILES ${link} DESTINATION ${destination})
endfunction()

cmake_path(RELATIVE_PATH TAMBERLY_PROGRAM_DIR BASE_DIRECTORY ${CMAKE_INSTALL_BINDIR}
           OUTPUT_VARIABLE program_dir_from_bin)
foreach(program tamberly tamberly-cli)
  tamberly_install_link(${program} ${program_dir_from_bin}/${program} ${CMAKE_INSTALL_BINDIR})
endforeach()
foreach(library mpadec mpaverify)
  tamberly_install_link(lib${library}.so.${PROJECT_VERSION_MAJOR}
                        ../lib${library}.so.${PROJECT_VERSION_MAJOR} ${TAMBERLY_PROGRAM_DIR})
endforeach()

# The C headers keep their "abi/" folder, which they include through.
install(FILES libs/mpadec/mpadec.h libs/mpaverify/mpaverify.h DESTINATION ${TAMBERLY_INCLUDE_DIR})
install(FILES abi/bufstream.h abi/calling_convention.h DESTINATION ${TAMBERLY_INCLUDE_DIR}/abi)

# pkg-config files that locate the prefix from their own folder, so that an
# installation moved or made with "cmake --install --prefix" stays usable.
cmake_path(RELATIVE_PATH CMAKE_INSTALL_PREFIX BASE_DIRECTORY
           ${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}/pkgconfig OUTPUT_VARIABLE prefix_from_pc)
string(REGEX REPLACE "/$" "" prefix_from_pc "${prefix_from_pc}")
foreach(library mpadec mpaverify)
  configure_file(packaging/${library}.pc.in ${CMAKE_BINARY_DIR}/pkgconfig/${library}.pc @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/pkgconfig/${library}.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endforeach()

# Desktop integration: menu entry, icon, the file types the viewer opens and
# completion for the command line.
install(FILES packaging/tamberly.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/tamberly.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES packaging/tamberly-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME tamberly.xml)
install(FILES packaging/tamberly-cli.bash-completion DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
        RENAME tamberly-cli)

include(${CMAKE_CURRENT_LIST_DIR}/TamberlyManPages.cmake)
