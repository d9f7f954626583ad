# The test programs that exercise threads: the thread-sanitizer build (preset
# tsan) builds only these and runs each as one test labelled "tsan". Add a
# program here when its code starts or shares work with a thread.
set(TAMBERLY_TSAN_PROGRAMS
  media_tests              # the threaded reader over a plugin's extraction
  ql_demux_mp2_tests       # the plugins' abort handshake (shared skeleton)
  ql_demux_mxf_tests
  module_tests             # the validation module's background worker
  validation_window_tests  # the validation window polling that worker
  cli_tests                # the command line's batches
  mparepair_tests          # the repair's background check
)

add_custom_target(tsan_tests)
foreach(program IN LISTS TAMBERLY_TSAN_PROGRAMS)
  if(TARGET ${program})
    add_dependencies(tsan_tests ${program})
    add_test(NAME tsan.${program} COMMAND ${program})
    set_tests_properties(tsan.${program} PROPERTIES LABELS tsan ENVIRONMENT QT_QPA_PLATFORM=offscreen)
  endif()
endforeach()
