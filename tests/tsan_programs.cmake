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

# A program whose threads touch only some of its suites runs only those under
# the thread sanitizer (a GoogleTest filter): the rest run in release and asan.
# The CLI starts the threaded reader for container streams (extract, streams,
# PCM extraction, a failed write, a plugin failing or a signal half-way) and
# validates several files in one call; suites named for jobs or batches join.
# The 2,000-file batch runs in release and asan only: its threads are those of
# the smaller batches (several files validated side by side, decode with
# --jobs 4), and under this sanitizer it alone took four minutes.
set(TAMBERLY_TSAN_FILTER_cli_tests
  "CliExtract.*:CliStreams.*:CliPcmExtract.*:CliBesideFakePlugins.*:CliDecode.Refuses*:CliOutputs.AFileSizeLimit*:CliValidate.SeveralFiles*:*Jobs*:*Batch*-CliBatch.ValidateGivesTheSameOutputAndCodeWhateverTheJobs")
# The reader and the stream copy that drives it.
set(TAMBERLY_TSAN_FILTER_media_tests "QlDemuxReader.*:StreamExtraction.*")
# The module's background run and the reports it sends from that thread.
set(TAMBERLY_TSAN_FILTER_module_tests "ModuleTest.*:ModuleReports.*")

add_custom_target(tsan_tests)
foreach(program IN LISTS TAMBERLY_TSAN_PROGRAMS)
  if(TARGET ${program})
    add_dependencies(tsan_tests ${program})
    set(arguments)
    if(DEFINED TAMBERLY_TSAN_FILTER_${program})
      set(arguments "--gtest_filter=${TAMBERLY_TSAN_FILTER_${program}}")
    endif()
    add_test(NAME tsan.${program} COMMAND ${program} ${arguments})
    # A filter that no longer matches any test must not pass as a clean run.
    set_tests_properties(tsan.${program} PROPERTIES LABELS tsan ENVIRONMENT QT_QPA_PLATFORM=offscreen
                         FAIL_REGULAR_EXPRESSION "Running 0 tests")
  endif()
endforeach()
