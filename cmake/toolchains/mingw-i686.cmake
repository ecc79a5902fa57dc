# 32-bit Windows (x86) with Debian's mingw-w64:
#   cmake -S . -B build-win32 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/mingw-i686.cmake
set(LYRE_MINGW_TRIPLE i686-w64-mingw32)
set(LYRE_MINGW_PROCESSOR x86)
set(LYRE_WINEARCH win32)
# SSE2 arithmetic only, so results match the 64-bit builds bit for bit. The 32-bit Windows heap
# hands out 8-byte-aligned blocks: over-aligned types must go through the aligned operator new.
# Hosts may call in with a 4-byte-aligned stack: realign where 16-byte slots are needed.
set(LYRE_MINGW_ARCH_FLAGS "-msse2 -mfpmath=sse -faligned-new=8 -mincoming-stack-boundary=2")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
