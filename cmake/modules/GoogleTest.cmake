# CMake's GoogleTest module, plus what a Windows build needs when its tests cannot run here, or
# run slowly: on a machine where wine cannot start x86 programs, instead of asking each test
# program for its tests (which would fail) every suite becomes one skipped test that says why
# (the programs are still built); where they run under emulation, asking a program for its
# tests may take LYRE_WINE_TIME_FACTOR times as long. Both are set by tests/CMakeLists.txt.
include(${CMAKE_ROOT}/Modules/GoogleTest.cmake)

if(WIN32 AND DEFINED LYRE_WINE_RUNS AND NOT LYRE_WINE_RUNS)
  function(gtest_discover_tests target)
    add_test(NAME ${target}.not_run_without_wine
      COMMAND /bin/sh -c "echo '${LYRE_WINE_UNAVAILABLE}'; exit 77")
    set_tests_properties(${target}.not_run_without_wine PROPERTIES SKIP_RETURN_CODE 77)
  endfunction()
elseif(WIN32 AND LYRE_WINE_TIME_FACTOR GREATER 1)
  # CMake keeps the definition being replaced as _gtest_discover_tests.
  function(gtest_discover_tests target)
    set(arguments ${ARGN})
    list(FIND arguments DISCOVERY_TIMEOUT at)
    if(at GREATER -1)
      math(EXPR at "${at} + 1")
      list(GET arguments ${at} seconds)
      math(EXPR seconds "${seconds} * ${LYRE_WINE_TIME_FACTOR}")
      list(REMOVE_AT arguments ${at})
      list(INSERT arguments ${at} ${seconds})
    endif()
    _gtest_discover_tests(${target} ${arguments})
  endfunction()
endif()
