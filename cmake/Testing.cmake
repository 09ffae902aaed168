# project_add_gtest(<name> SOURCES <files...> [LIBS <targets...>] [ENV <VAR=value...>] [LABELS <labels...>] [TIMEOUT <s>])
#
# Builds one GoogleTest program next to the code it tests and registers it with CTest as a
# single test (the program runs all of its cases; CTest reports the program).
find_package(GTest REQUIRED)
include(GoogleTest)

function(project_add_gtest name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;ENV;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main Threads::Threads)
  project_program_rpath(${name})
  add_test(NAME ${name} COMMAND ${name} --gtest_color=no)
  set(env "${T_ENV}")
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "${env}")
  if(T_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}")
  endif()
  if(T_TIMEOUT)
    set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
  else()
    set_tests_properties(${name} PROPERTIES TIMEOUT 300)
  endif()
endfunction()
