# How this machine runs 32-bit x86 programs, the 32-bit wine loader above all (cmake/run-i386.sh):
# LYRE_X86_MODE is "native", "emulated" (qemu-i386 in a private namespace) or "unavailable", and
# LYRE_X86_TIME_FACTOR how many times longer a test of a 32-bit program may then take (1 unless
# emulated).
set(lyre_run_i386 ${CMAKE_CURRENT_LIST_DIR}/../run-i386.sh)
execute_process(COMMAND ${lyre_run_i386} --mode OUTPUT_VARIABLE LYRE_X86_MODE
  OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE lyre_rc)
if(NOT lyre_rc EQUAL 0)
  set(LYRE_X86_MODE unavailable)
endif()
set(LYRE_X86_TIME_FACTOR 1)
if(LYRE_X86_MODE STREQUAL "emulated")
  execute_process(COMMAND ${lyre_run_i386} --time-factor OUTPUT_VARIABLE LYRE_X86_TIME_FACTOR
    OUTPUT_STRIP_TRAILING_WHITESPACE)
endif()
