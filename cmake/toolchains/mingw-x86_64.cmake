# 64-bit Windows (x64) with Debian's mingw-w64:
#   cmake -S . -B build-win64 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/mingw-x86_64.cmake
set(LYRE_MINGW_TRIPLE x86_64-w64-mingw32)
set(LYRE_MINGW_PROCESSOR AMD64)
set(LYRE_WINEARCH win64)
set(LYRE_MINGW_ARCH_FLAGS "")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
