# Compiler settings shared by every target of the project.

option(ENABLE_ASAN_UBSAN "Build everything with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(ENABLE_TSAN "Build everything with ThreadSanitizer" OFF)

if(ENABLE_ASAN_UBSAN AND ENABLE_TSAN)
  message(FATAL_ERROR "ENABLE_ASAN_UBSAN and ENABLE_TSAN cannot be combined")
endif()

add_compile_options(-Wall -Wextra)

# Compiles go through ccache when it is installed: CI builds four flavours of the whole tree on a
# fresh clone each time, and most of it has not changed since the last run. Paths under the source
# folder are hashed relative to it, so a clone in another folder still finds its objects.
option(USE_CCACHE "Compile through ccache when it is installed" ON)
if(USE_CCACHE)
  find_program(CCACHE_PROGRAM ccache)
  if(CCACHE_PROGRAM)
    set(ccache_launcher ${CMAKE_COMMAND} -E env CCACHE_BASEDIR=${CMAKE_SOURCE_DIR} CCACHE_NOHASHDIR=true
        ${CCACHE_PROGRAM})
    set(CMAKE_C_COMPILER_LAUNCHER ${ccache_launcher})
    set(CMAKE_CXX_COMPILER_LAUNCHER ${ccache_launcher})
  endif()
endif()

if(ENABLE_ASAN_UBSAN)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
if(ENABLE_TSAN)
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()

# Libraries export only what is marked for export; everything else stays internal.
set(CMAKE_CXX_VISIBILITY_PRESET hidden)
set(CMAKE_C_VISIBILITY_PRESET hidden)
set(CMAKE_VISIBILITY_INLINES_HIDDEN ON)
set(CMAKE_POSITION_INDEPENDENT_CODE ON)

# All shared objects sit in one directory and find each other there ($ORIGIN);
# programs find them in ../lib.
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib)
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/archive)
set(CMAKE_BUILD_RPATH_USE_ORIGIN ON)
set(CMAKE_SKIP_BUILD_RPATH OFF)
set(CMAKE_BUILD_WITH_INSTALL_RPATH ON)

# Shared libraries: look for dependencies beside themselves.
function(project_shared_library_rpath target)
  set_target_properties(${target} PROPERTIES INSTALL_RPATH "$ORIGIN")
endfunction()

# Programs: look for the project's libraries in ../lib.
function(project_program_rpath target)
  set_target_properties(${target} PROPERTIES INSTALL_RPATH "$ORIGIN/../lib")
endfunction()

# A library that a host may unload while a thread of it still runs stays mapped.
function(project_stay_mapped target)
  target_link_options(${target} PRIVATE "LINKER:-z,nodelete")
endfunction()

# Adds the named sub-folders of the current folder, in the order given. Each must be there: a clone
# that lost one would otherwise configure a smaller build, with fewer tests, and say nothing.
function(project_add_required_subdirectories)
  foreach(dir ${ARGN})
    if(NOT EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt)
      file(RELATIVE_PATH missing ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt)
      message(FATAL_ERROR "${missing} is missing: the source tree is incomplete, so the build would lack a part of the project")
    endif()
    add_subdirectory(${dir})
  endforeach()
endfunction()

# Adds every sub-folder of the current folder that has a CMakeLists.txt, in name order: one folder
# per program (tools/, bench/, fuzz/).
function(project_add_subfolders)
  file(GLOB children LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT children)
  foreach(child ${children})
    if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${child} AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()

# Fuzzing (clang only): every target gets libFuzzer's coverage instrumentation, and fuzz/ builds
# a libFuzzer program per target beside its corpus replayer. scripts/fuzz.sh configures it.
option(ENABLE_FUZZING "Instrument everything for libFuzzer and build the fuzz programs (clang)" OFF)
if(ENABLE_FUZZING)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "ENABLE_FUZZING needs clang (CC=clang CXX=clang++)")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
