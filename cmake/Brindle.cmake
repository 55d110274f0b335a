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

# brindle_tests(DIR): every *_test.cpp below DIR becomes one GoogleTest
# program; its CTest label comes from a line "// ctest-label: NAME" in the file.
function(brindle_tests dir)
  file(GLOB_RECURSE tests CONFIGURE_DEPENDS ${dir}/*_test.cpp)
  foreach(src ${tests})
    get_filename_component(stem ${src} NAME_WE)
    file(RELATIVE_PATH rel ${CMAKE_SOURCE_DIR}/tests ${src})
    get_filename_component(reldir ${rel} DIRECTORY)
    string(REPLACE "/" "_" prefix "${reldir}")
    set(target "test_${prefix}_${stem}")
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
    add_executable(${target} ${src})
    target_link_libraries(${target} PRIVATE brindle_all brindle_testsupport GTest::gtest_main GTest::gmock)
    # The data tools' tests link the tools' code and run the programs.
    if(reldir MATCHES "^tools" AND TARGET brindle_tools)
      target_link_libraries(${target} PRIVATE brindle_tools)
      add_dependencies(${target} make-sample-project brindle-data)
      target_compile_definitions(${target} PRIVATE BRINDLE_TOOLS_BIN="${CMAKE_BINARY_DIR}/tools")
    endif()
    # CMake 3.25's gtest_discover_tests keeps only the first entry of a list
    # property such as ENVIRONMENT, so the environment is also given through
    # the launcher, which it passes on whole.
    # The player's tests run the program on a generated sample project.
    if(reldir MATCHES "^app" AND TARGET brindle AND TARGET make-sample-project)
      add_dependencies(${target} brindle make-sample-project)
      target_compile_definitions(${target} PRIVATE BRINDLE_BIN_DIR="${CMAKE_BINARY_DIR}")
    endif()
    set_target_properties(${target} PROPERTIES CROSSCOMPILING_EMULATOR
      "env;SDL_VIDEODRIVER=dummy;SDL_AUDIODRIVER=dummy;BRINDLE_TEST_MEDIA=${BRINDLE_TEST_MEDIA};BRINDLE_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
    gtest_discover_tests(${target}
      WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
      TEST_LIST ${target}_TESTS
      DISCOVERY_TIMEOUT 60)
    # Labels are set by a script of our own that CTest runs after the
    # discovered tests are known: discovery would flatten a list of labels.
    set(label_script ${CMAKE_CURRENT_BINARY_DIR}/${target}_labels.cmake)
    file(WRITE ${label_script}
      "if(${target}_TESTS)\n  set_tests_properties(\${${target}_TESTS} PROPERTIES LABELS \"${labels}\")\nendif()\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${label_script})
  endforeach()
endfunction()
