# vertan_add_test(NAME sources... LIBS libs... [FIXTURES fixture])
# One GoogleTest executable per area. The shared main creates a QApplication
# on the offscreen platform, so widget tests run without a display.
find_package(GTest REQUIRED)
include(GoogleTest)

function(vertan_add_test name)
  cmake_parse_arguments(ARG "" "FIXTURES" "LIBS" ${ARGN})
  set(fixtures)
  if(ARG_FIXTURES)
    set(fixtures FIXTURES_REQUIRED ${ARG_FIXTURES})
  endif()
  add_executable(${name} ${ARG_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE vertan_test_main GTest::gtest GTest::gmock ${ARG_LIBS})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests-bin)
  target_compile_definitions(${name} PRIVATE
    VERTAN_PROGRAM_DIR="${VERTAN_PROGRAM_DIR}"
    VERTAN_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    VERTAN_BINARY_DIR="${CMAKE_BINARY_DIR}")
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300 ${fixtures})
endfunction()
