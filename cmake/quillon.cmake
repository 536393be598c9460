# Shared helpers for the project's CMake files.

# quillon_test(NAME SOURCES a_test.cc ... LIBS lib ...)
# A GoogleTest executable registered with CTest under NAME, labelled "unit", linked with the
# shared test support of tests/common (quillon_test_support).
# Without BUILD_TESTING nothing is made; callers that set properties of the test guard them.
function(quillon_test name)
  if(NOT BUILD_TESTING)
    return()
  endif()
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  if(QUILLON_POSIX_BOUND_SOURCES)
    list(REMOVE_ITEM T_SOURCES ${QUILLON_POSIX_BOUND_SOURCES})
    if(NOT T_SOURCES)
      return()
    endif()
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} quillon_test_support GTest::gtest GTest::gmock
                                        GTest::gtest_main)
  add_test(NAME ${name} COMMAND ${name})
  if(NOT T_LABELS)
    set(T_LABELS unit)
  endif()
  set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}" TIMEOUT 600)
endfunction()

# quillon_benchmark(NAME SOURCES ... LIBS ...): a Google Benchmark program, not run by CTest,
# linked with quillon_test_support as the tests are.
function(quillon_benchmark name)
  cmake_parse_arguments(B "" "" "SOURCES;LIBS" ${ARGN})
  if(BUILD_TESTING AND benchmark_FOUND AND NOT QUILLON_SANITIZE AND NOT QUILLON_TSAN
     AND NOT QUILLON_FUZZ)
    add_executable(${name} ${B_SOURCES})
    target_link_libraries(${name} PRIVATE ${B_LIBS} quillon_test_support benchmark::benchmark)
    add_dependencies(benchmarks ${name})
  endif()
endfunction()

# quillon_fuzzer(NAME SOURCES ... LIBS ...): a libFuzzer target, built only with QUILLON_FUZZ.
function(quillon_fuzzer name)
  cmake_parse_arguments(F "" "" "SOURCES;LIBS" ${ARGN})
  if(QUILLON_FUZZ)
    add_executable(${name} ${F_SOURCES})
    target_link_libraries(${name} PRIVATE ${F_LIBS})
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    add_dependencies(fuzzers ${name})
  endif()
endfunction()

add_custom_target(benchmarks)
add_custom_target(fuzzers)

# quillon_component(NAME DIR dir DEPS lib ... TEST_DEPS lib ...)
# A static library NAME from every dir/*.cc that is not a test, fuzzer, benchmark or main
# program, and, when dir has *_test.cc files, one GoogleTest program NAME_test from them.
# New files in a component are picked up on the next build.
function(quillon_component name)
  cmake_parse_arguments(C "" "DIR" "DEPS;TEST_DEPS;TEST_LABELS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${C_DIR}/*.cc)
  file(GLOB tests CONFIGURE_DEPENDS ${C_DIR}/*_test.cc)
  list(FILTER srcs EXCLUDE REGEX "(_test|_fuzzer|_benchmark|_main|/main)\\.cc$")
  if(QUILLON_POSIX_BOUND_SOURCES)
    list(REMOVE_ITEM srcs ${QUILLON_POSIX_BOUND_SOURCES})
  endif()
  if(srcs)
    add_library(${name} STATIC ${srcs})
    target_link_libraries(${name} PUBLIC ${C_DEPS})
  else()
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE ${C_DEPS})
  endif()
  if(tests)
    quillon_test(${name}_test SOURCES ${tests} LIBS ${name} ${C_TEST_DEPS} LABELS ${C_TEST_LABELS})
  endif()
endfunction()
