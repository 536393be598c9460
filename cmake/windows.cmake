# The Windows build (the `windows` preset, cross-compiled with MinGW-w64, tests under Wine).

# GCC 12 at -O3 reports a false overlap of std::string's own copies inside libstdc++
# (char_traits::copy, GCC bug 105329); the Linux presets do not optimise that far.
add_compile_options(-Wno-restrict)

# Sources left out of the Windows build: tests of what exists on Linux only. Paths relative to
# the source directory; quillon_test(), quillon_component() and platform/ drop them.
set(QUILLON_POSIX_BOUND_SOURCES
  # The accessors on the Linux store's own SQLite file; on Windows the store is the registry,
  # whose backend has its own tests (platform/win32/registry_store_test.cc).
  common/settings/settings_sqlite_test.cc
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
