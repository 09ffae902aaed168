# Test programs that run inside the test VM, on the kernel's own HID stack with uhid remotes.
#
#   hidvm_add_test_program(<name> SOURCES <files...> [LIBS <targets...>] [NEEDS <targets...>])
#
# builds a GoogleTest program that is not run on the host; the one CTest test "vm_tests" (label
# "vm") boots the VM once and runs every such program in it. NEEDS names programs the tests start
# (they sit beside the test program in the same bin directory).
include_guard(GLOBAL)

function(hidvm_add_test_program name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;NEEDS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main Threads::Threads)
  project_program_rpath(${name})
  if(T_NEEDS)
    add_dependencies(${name} ${T_NEEDS})
  endif()
  set_property(GLOBAL APPEND PROPERTY HIDVM_TEST_PROGRAMS ${name})
endfunction()

# Registered once every folder has added its programs.
function(hidvm_register_tests)
  get_property(programs GLOBAL PROPERTY HIDVM_TEST_PROGRAMS)
  if(NOT programs)
    return()
  endif()
  set(files)
  foreach(program ${programs})
    list(APPEND files $<TARGET_FILE:${program}>)
  endforeach()
  add_test(NAME vm_tests
    COMMAND sh ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/run_vm_tests.sh ${CMAKE_BINARY_DIR} ${files})
  set_tests_properties(vm_tests PROPERTIES LABELS vm SKIP_RETURN_CODE 77 TIMEOUT 1200)
endfunction()

cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL hidvm_register_tests)
