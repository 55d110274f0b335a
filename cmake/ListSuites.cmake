# Run after a test program is linked (cmake -P EXE=... SETTINGS=... OUT=...):
# writes the program's GoogleTest suites to OUT, one a line. OUT is removed
# first, so a listing that fails leaves the program's "NOT_BUILT" test in
# place instead of stale suites.
file(REMOVE "${OUT}")
include("${SETTINGS}")
execute_process(COMMAND env ${_env} "${EXE}" --gtest_list_tests
  WORKING_DIRECTORY "${_workdir}"
  TIMEOUT 60
  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${EXE} --gtest_list_tests failed (${result}):\n${output}\n${errors}")
endif()
# A suite line starts in column one and ends in '.', perhaps followed by
# "  # TypeParam = ..."; its tests follow, indented.
string(REGEX MATCHALL "(^|\n)[^ #\n][^ \n]*\\.( [^\n]*)?" heads "${output}")
set(suites "")
foreach(head IN LISTS heads)
  string(REGEX REPLACE "^\n?([^ ]*)\\..*$" "\\1" suite "${head}")
  string(APPEND suites "${suite}\n")
endforeach()
if(suites STREQUAL "")
  message(FATAL_ERROR "${EXE} lists no test suites:\n${output}")
endif()
file(WRITE "${OUT}" "${suites}")
