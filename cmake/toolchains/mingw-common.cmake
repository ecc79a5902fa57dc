# Shared part of the two Windows cross toolchains; the arch file sets LYRE_MINGW_TRIPLE,
# LYRE_WINEARCH and LYRE_MINGW_ARCH_FLAGS before including this.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${LYRE_MINGW_PROCESSOR})

# The posix-thread variants: std::mutex and std::thread need them.
set(CMAKE_C_COMPILER ${LYRE_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${LYRE_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${LYRE_MINGW_TRIPLE}-windres)
set(CMAKE_AR ${LYRE_MINGW_TRIPLE}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${LYRE_MINGW_TRIPLE}-ranlib CACHE FILEPATH "")
# pkg-config must look at the cross target, or Linux packages would be "found".
set(PKG_CONFIG_EXECUTABLE ${LYRE_MINGW_TRIPLE}-pkg-config CACHE FILEPATH "")
set(LYRE_MINGW_OBJDUMP ${LYRE_MINGW_TRIPLE}-objdump CACHE FILEPATH "objdump that reads this target's PE files")

set(CMAKE_FIND_ROOT_PATH /usr/${LYRE_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# GCC on mingw-w64 cannot realign the stack to 32 bytes, so AVX spills must not use aligned
# moves; the assembler rewrites them to their unaligned forms (same speed on aligned data).
set(LYRE_MINGW_COMMON_FLAGS "${LYRE_MINGW_ARCH_FLAGS} -Wa,-muse-unaligned-vector-move")
set(CMAKE_C_FLAGS_INIT "${LYRE_MINGW_COMMON_FLAGS}")
set(CMAKE_CXX_FLAGS_INIT "${LYRE_MINGW_COMMON_FLAGS}")

# Fully static: the DLL and the test programs import only Windows' own system DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# Test programs run under wine, each build tree with its own throwaway prefix.
set(LYRE_WINEARCH ${LYRE_WINEARCH})
set(LYRE_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(CMAKE_CROSSCOMPILING_EMULATOR
  "${CMAKE_CURRENT_LIST_DIR}/../wine-run.sh;${LYRE_WINEARCH};${LYRE_WINEPREFIX}")
