# CMake's GoogleTest module, plus what a Windows build needs when its tests cannot run here:
# on a machine without 32-bit support wine cannot start x86 programs, so instead of asking
# each test program for its tests (which would fail) every suite becomes one skipped test
# that says why. The programs are still built. LYRE_WINE_RUNS is set by tests/CMakeLists.txt.
include(${CMAKE_ROOT}/Modules/GoogleTest.cmake)

if(WIN32 AND DEFINED LYRE_WINE_RUNS AND NOT LYRE_WINE_RUNS)
  function(gtest_discover_tests target)
    add_test(NAME ${target}.not_run_without_wine
      COMMAND /bin/sh -c "echo '${LYRE_WINE_UNAVAILABLE}'; exit 77")
    set_tests_properties(${target}.not_run_without_wine PROPERTIES SKIP_RETURN_CODE 77)
  endfunction()
endif()
