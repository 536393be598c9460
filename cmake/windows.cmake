# The Windows build (the `windows` preset, cross-compiled with MinGW-w64, tests under Wine).

# GCC 12 at -O3 reports a false overlap of std::string's own copies inside libstdc++
# (char_traits::copy, GCC bug 105329); the Linux presets do not optimise that far.
add_compile_options(-Wno-restrict)

# Sources that still name the Linux backend or its calls, left out of the Windows build until
# they reach the system through the per-OS factory. Paths relative to the source directory;
# quillon_test(), quillon_component() and platform/ drop them.
set(QUILLON_POSIX_BOUND_SOURCES
  common/settings/settings_sqlite_test.cc
  # The silent pipe client has no Windows backend yet.
  service/command_loop_test.cc
  service/limit_check_worker_test.cc
  # Tests whose helpers set variables or read text with POSIX calls (setenv, fmemopen,
  # unistd.h), until the shared test support covers Windows.
  common/init/initializer_test.cc
  common/init/setup_ini_test.cc
  common/wire/pipe_client_test.cc
  service/raid_discovery_test.cc
  service/talven_service_test.cc
  service/worker_test.cc
  setup/setup_program_test.cc
)
list(TRANSFORM QUILLON_POSIX_BOUND_SOURCES PREPEND ${CMAKE_SOURCE_DIR}/)

# The shared temporary directories of the tests (std::filesystem only); the rest of tests/ is
# the Linux whole-system tests, which the Windows build leaves out.
if(BUILD_TESTING)
  add_library(quillon_test_support STATIC ${CMAKE_SOURCE_DIR}/tests/common/temp_dir.cc)
endif()

# quillon_googletest_from_source(DIR): GoogleTest and GoogleMock built from Debian's
# `googletest` sources (no Windows binaries of it exist there); they define the GTest::
# names that find_package(GTest) gives.
function(quillon_googletest_from_source dir)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(${dir} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endfunction()
