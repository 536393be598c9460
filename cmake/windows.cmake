# The Windows build (the `windows` preset, cross-compiled with MinGW-w64, tests under Wine).

# Sources that still name the Linux backend or its calls, left out of the Windows build until
# they reach the system through the per-OS factory. Paths relative to the source directory;
# quillon_test(), quillon_component() and platform/ drop them.
set(QUILLON_POSIX_BOUND_SOURCES
  common/kori/dbus_kori_transport.cc
  common/settings/settings_sqlite_test.cc
  platform/store_path.cc
  service/command_loop_test.cc
  service/limit_check_worker_test.cc
  # Needs PipeServer, whose header still holds the Linux descriptors.
  service/service_host_test.cc
  # Tests whose helpers make temporary directories and set variables with POSIX calls
  # (mkdtemp, setenv, fmemopen), until the shared test support covers Windows.
  common/init/initializer_test.cc
  common/init/setup_ini_test.cc
  common/kori/kori_client_test.cc
  service/hardware_init_test.cc
  service/raid_discovery_test.cc
  service/service_core_test.cc
  service/worker_test.cc
  setup/setup_program_test.cc
)
list(TRANSFORM QUILLON_POSIX_BOUND_SOURCES PREPEND ${CMAKE_SOURCE_DIR}/)

# quillon_googletest_from_source(DIR): GoogleTest and GoogleMock built from Debian's
# `googletest` sources (no Windows binaries of it exist there); they define the GTest::
# names that find_package(GTest) gives.
function(quillon_googletest_from_source dir)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(${dir} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endfunction()

# The programs' main files still choose the Linux classes by name; until they build through the
# per-OS factory they are not part of the Windows build.
function(quillon_windows_programs_pending)
  set_target_properties(TALVENSV TALVENU2 TALVENST PROPERTIES EXCLUDE_FROM_ALL ON)
endfunction()
