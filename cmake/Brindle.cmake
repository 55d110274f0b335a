# brindle_layer(NAME DIR DEPS ...): one static library per layer, built from
# every .cpp below DIR, so adding a file needs no edit here.
function(brindle_layer name dir)
  cmake_parse_arguments(L "" "" "DEPS" ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp)
  if(srcs)
    add_library(${name} STATIC ${srcs})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${L_DEPS})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${L_DEPS})
  endif()
endfunction()

# Seconds a single test may run before CTest stops it (sanitizer builds included).
set(BRINDLE_TEST_TIMEOUT 240 CACHE STRING "Default CTest TIMEOUT of every test")

# Test sources are plain checks: a light optimisation level keeps their
# compile time down (their large bodies dominate the sanitizer build), while
# the code under test keeps the build type's flags.
set(BRINDLE_TEST_OPT_FLAGS "-Og" CACHE STRING "Extra compile flags of the test sources")

# brindle_tests(DIR): every folder below DIR with *_test.cpp files becomes one
# GoogleTest program named after the folder (tests/engine/shots ->
# test_engine_shots). Each source names its CTest labels in a line
# "// ctest-label: NAME..."; each suite is one CTest test with the labels of
# the source that defines it. Every test gets the TIMEOUT BRINDLE_TEST_TIMEOUT.
function(brindle_tests dir)
  file(GLOB_RECURSE tests CONFIGURE_DEPENDS ${dir}/*_test.cpp)
  set(folders "")
  foreach(src ${tests})
    file(RELATIVE_PATH rel ${CMAKE_SOURCE_DIR}/tests ${src})
    get_filename_component(reldir ${rel} DIRECTORY)
    if(reldir STREQUAL "")
      set(reldir "top")
    endif()
    string(REPLACE "/" "_" prefix "${reldir}")
    list(APPEND folders ${prefix})
    list(APPEND srcs_${prefix} ${src})
    set(reldir_${prefix} ${reldir})
    file(STRINGS ${src} label_line REGEX "^// ctest-label: ")
    set(labels "")
    foreach(line ${label_line})
      string(REGEX REPLACE "^// ctest-label: *" "" l "${line}")
      string(REPLACE " " ";" l "${l}")
      list(APPEND labels ${l})
    endforeach()
    if(NOT labels)
      message(FATAL_ERROR "${src} has no '// ctest-label:' line")
    endif()
    list(APPEND labels_${prefix} ${labels})
    # The suites this source defines, for the per-test labels.
    file(STRINGS ${src} suite_lines REGEX "^ *(TEST|TEST_F|TEST_P|TYPED_TEST|TYPED_TEST_P|TYPED_TEST_SUITE) *\\( *[A-Za-z_0-9]+ *,")
    foreach(line ${suite_lines})
      string(REGEX REPLACE "^ *[A-Z_]+ *\\( *([A-Za-z_0-9]+) *,.*" "\\1" suite "${line}")
      list(APPEND suites_${prefix} ${suite})
      list(APPEND suite_labels_${prefix}_${suite} ${labels})
    endforeach()
  endforeach()
  list(REMOVE_DUPLICATES folders)

  foreach(prefix ${folders})
    set(target "test_${prefix}")
    set(reldir ${reldir_${prefix}})
    add_executable(${target} ${srcs_${prefix}})
    target_link_libraries(${target} PRIVATE brindle_all brindle_testsupport GTest::gtest_main GTest::gmock)
    target_compile_options(${target} PRIVATE ${BRINDLE_TEST_OPT_FLAGS})
    # The data tools' tests link the tools' code and run the programs.
    if(reldir MATCHES "^tools" AND TARGET brindle_tools)
      target_link_libraries(${target} PRIVATE brindle_tools)
      add_dependencies(${target} make-sample-project brindle-data brindle-run)
      target_compile_definitions(${target} PRIVATE BRINDLE_TOOLS_BIN="${CMAKE_BINARY_DIR}/tools")
    endif()
    # The player's tests run the program on a generated sample project.
    if(reldir MATCHES "^app" AND TARGET brindle AND TARGET make-sample-project)
      add_dependencies(${target} brindle make-sample-project)
      target_compile_definitions(${target} PRIVATE BRINDLE_BIN_DIR="${CMAKE_BINARY_DIR}")
    endif()
    # One CTest test per GoogleTest suite: a test program starts once per
    # suite instead of once per test (sanitizer start-up is most of a small
    # test's time). After each link the program lists its suites
    # (cmake/ListSuites.cmake); CTest reads the list through the include file
    # below (cmake/SuiteTests.cmake), so the labels and settings written here
    # at configure time always apply.
    set(all_labels ${labels_${prefix}})
    list(REMOVE_DUPLICATES all_labels)
    set(suites_file ${CMAKE_CURRENT_BINARY_DIR}/${target}_suites.txt)
    set(settings "set(_target ${target})\n")
    string(APPEND settings "set(_exe [==[$<TARGET_FILE:${target}>]==])\n")
    string(APPEND settings "set(_suites [==[${suites_file}]==])\n")
    string(APPEND settings "set(_timeout ${BRINDLE_TEST_TIMEOUT})\n")
    string(APPEND settings "set(_workdir [==[${CMAKE_CURRENT_BINARY_DIR}]==])\n")
    string(APPEND settings "set(_env [==[SDL_VIDEODRIVER=dummy;SDL_AUDIODRIVER=dummy;BRINDLE_TEST_MEDIA=${BRINDLE_TEST_MEDIA};BRINDLE_SOURCE_DIR=${CMAKE_SOURCE_DIR}]==])\n")
    string(APPEND settings "set(_all [==[${all_labels}]==])\n")
    set(known ${suites_${prefix}})
    if(known)
      list(REMOVE_DUPLICATES known)
    endif()
    foreach(suite ${known})
      set(l ${suite_labels_${prefix}_${suite}})
      list(REMOVE_DUPLICATES l)
      string(APPEND settings "set(_lbl_${target}_${suite} [==[${l}]==])\n")
    endforeach()
    set(settings_file ${CMAKE_CURRENT_BINARY_DIR}/${target}_settings.cmake)
    file(GENERATE OUTPUT ${settings_file} CONTENT "${settings}")
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${CMAKE_COMMAND} -D EXE=$<TARGET_FILE:${target}> -D SETTINGS=${settings_file}
        -D OUT=${suites_file} -P ${CMAKE_SOURCE_DIR}/cmake/ListSuites.cmake
      VERBATIM)
    set(include_file ${CMAKE_CURRENT_BINARY_DIR}/${target}_include.cmake)
    file(WRITE ${include_file}
      "include([==[${settings_file}]==])\ninclude([==[${CMAKE_SOURCE_DIR}/cmake/SuiteTests.cmake]==])\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${include_file})
  endforeach()
endfunction()
