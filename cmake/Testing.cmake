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

# Node.js runs the JavaScript tests and drives the browsers. It comes with the tests' packages
# (scripts/install-deps.sh), not with the demo's: a tree configured without it still builds, and
# each test that runs it fails, saying which command installs it.
find_program(NODE_EXECUTABLE node)
if(NOT NODE_EXECUTABLE)
  message(STATUS "Node.js not found: its tests will fail until scripts/install-deps.sh installs it")
  set(NODE_EXECUTABLE sh ${CMAKE_SOURCE_DIR}/scripts/missing-test-tool.sh node)
endif()

# project_add_npm_check(<fixture> <folder>): a test that checks that the npm packages pinned by
# <folder>/package-lock.json are installed (scripts/install-deps.sh installs them before any test
# runs), set up as the fixture that the tests using them require.
function(project_add_npm_check fixture folder)
  add_test(NAME ${fixture}_node_modules COMMAND sh ${CMAKE_SOURCE_DIR}/scripts/npm-ci.sh --check ${folder})
  set_tests_properties(${fixture}_node_modules PROPERTIES FIXTURES_SETUP ${fixture} TIMEOUT 30 ${ARGN})
endfunction()
