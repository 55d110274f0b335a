# Read by CTest (through a test program's include file, which sets _exe,
# _target, _suites and the settings): one test per suite listed in _suites,
# or one failing "<program>_NOT_BUILT" test while the list is missing.
if(NOT EXISTS "${_suites}")
  add_test(${_target}_NOT_BUILT ${_target}_NOT_BUILT)
  return()
endif()
file(STRINGS "${_suites}" _suite_names)
foreach(_suite IN LISTS _suite_names)
  # "Prefix/Suite" and "Suite/0" take the labels of Suite; a suite not found
  # in any source takes every label of its folder.
  string(REPLACE "/" ";" _parts "${_suite}")
  set(_labels "")
  foreach(_part IN LISTS _parts)
    if(DEFINED _lbl_${_target}_${_part})
      list(APPEND _labels ${_lbl_${_target}_${_part}})
    endif()
  endforeach()
  if(NOT _labels)
    set(_labels ${_all})
  endif()
  list(REMOVE_DUPLICATES _labels)
  add_test("${_suite}" "${_exe}" "--gtest_filter=${_suite}.*")
  set_tests_properties("${_suite}" PROPERTIES WORKING_DIRECTORY "${_workdir}"
    TIMEOUT "${_timeout}" ENVIRONMENT "${_env}" LABELS "${_labels}")
endforeach()
