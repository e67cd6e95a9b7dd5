# GoogleTest is built from Debian's sources in both flavours, so the
# Windows build and the sanitizer build get a matching library.
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
include(GoogleTest)

# shoalgen_add_test(NAME SOURCES... LIBS ...)
# Native test cases are registered one by one; under Wine each executable is
# one ctest entry, since discovering cases would start Wine once per case.
function(shoalgen_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  set(workdir ${CMAKE_BINARY_DIR}/testrun/${name})
  file(MAKE_DIRECTORY ${workdir})
  if(CMAKE_CROSSCOMPILING)
    add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY ${workdir})
  else()
    gtest_discover_tests(${name} WORKING_DIRECTORY ${workdir} DISCOVERY_TIMEOUT 60)
  endif()
endfunction()

# shoalgen_add_fuzzer(NAME SOURCES... LIBS ... CORPUS dir)
# libFuzzer targets, built only in the clang fuzz build (SHOALGEN_FUZZ). The
# ctest entry replays the seed corpus kept in the repository; `make fuzz`
# explores for longer.
function(shoalgen_add_fuzzer name)
  if(NOT SHOALGEN_FUZZ)
    return()
  endif()
  cmake_parse_arguments(F "" "CORPUS" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${F_SOURCES})
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  set(workdir ${CMAKE_BINARY_DIR}/testrun/${name})
  file(MAKE_DIRECTORY ${workdir})
  add_test(NAME ${name}_corpus COMMAND ${name} -runs=0 ${F_CORPUS} WORKING_DIRECTORY ${workdir})
  set_property(GLOBAL APPEND PROPERTY SHOALGEN_FUZZERS "${name}=${F_CORPUS}")
endfunction()
