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

# shoalgen_add_fuzzer(NAME SOURCES... LIBS ... CORPUS dir MAX_LEN bytes)
# libFuzzer targets, built only in the clang fuzz build (SHOALGEN_FUZZ). The
# ctest entry replays the seed corpus kept in the repository; `make fuzz`
# explores for longer. MAX_LEN caps the inputs: large enough for the biggest
# structure of the format, and for every seed, which would be cut otherwise.
function(shoalgen_add_fuzzer name)
  if(NOT SHOALGEN_FUZZ)
    return()
  endif()
  cmake_parse_arguments(F "" "CORPUS;MAX_LEN" "SOURCES;LIBS" ${ARGN})
  file(GLOB seeds ${F_CORPUS}/*)
  foreach(seed ${seeds})
    file(SIZE ${seed} seedSize)
    if(seedSize GREATER F_MAX_LEN)
      message(FATAL_ERROR "${seed}: ${seedSize} bytes, more than ${name}'s MAX_LEN ${F_MAX_LEN}")
    endif()
  endforeach()
  add_executable(${name} ${F_SOURCES})
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  set(workdir ${CMAKE_BINARY_DIR}/testrun/${name})
  file(MAKE_DIRECTORY ${workdir})
  add_test(NAME ${name}_corpus COMMAND ${name} -runs=0 -max_len=${F_MAX_LEN} ${F_CORPUS}
           WORKING_DIRECTORY ${workdir})
  set_property(GLOBAL APPEND PROPERTY SHOALGEN_FUZZERS "${name}=${F_MAX_LEN}=${F_CORPUS}")
endfunction()
